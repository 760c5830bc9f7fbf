#pragma once

#include <QObject>
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "core/ordered_parallel.h"

namespace tav::desktop {

// One long engine run on a thread of its own. The window's thread hears of
// its progress and its end through queued calls, so it keeps drawing and
// taking input meanwhile. The work must not touch the workspace: it runs a
// job prepared beforehand and leaves its outcome where `finished` finds it.
class BackgroundRun : public QObject {
    Q_OBJECT
  public:
    using Work = std::function<void(RunControl&)>;

    explicit BackgroundRun(QObject* parent = nullptr);
    // A run still going is asked to stop and waited for; its end is not told.
    ~BackgroundRun() override;

    // False when a run is going already.
    bool start(Work work);
    bool running() const { return running_; }
    // Asks the run to stop; `finished` still comes once the worker has ended.
    void cancel();
    bool cancelRequested() const { return control_ && control_->cancelled(); }
    // What the work threw, empty when it ended normally.
    const std::string& failure() const { return failure_; }

  signals:
    // Securities done of total. Bursts are folded into one call.
    void progressed(int done, int total);
    // The worker has ended and is joined; running() is false by now.
    void finished();

  private:
    void tellProgress();
    void ended();

    std::unique_ptr<RunControl> control_;
    std::jthread worker_;
    bool running_ = false;
    std::string failure_;
    std::string workerFailure_;  // written by the worker, read after the join
    std::atomic<int> done_{0};
    std::atomic<int> total_{0};
    std::atomic<bool> progressPosted_{false};
};

}  // namespace tav::desktop
