#include "window/background_run.h"

#include <exception>

namespace tav::desktop {

BackgroundRun::BackgroundRun(QObject* parent) : QObject(parent) {}

BackgroundRun::~BackgroundRun() {
    if (control_) control_->cancel();
    if (worker_.joinable()) worker_.join();
}

bool BackgroundRun::start(Work work) {
    if (running_) return false;
    running_ = true;
    failure_.clear();
    workerFailure_.clear();
    done_ = 0;
    total_ = 0;
    // A fresh control per run: a cancel of the last run must not stop this one.
    control_ = std::make_unique<RunControl>();
    control_->progress = [this](int done, int total) {
        done_.store(done);
        total_.store(total);
        // At most one call waits in the queue; it reads the latest count.
        if (!progressPosted_.exchange(true))
            QMetaObject::invokeMethod(this, &BackgroundRun::tellProgress, Qt::QueuedConnection);
    };
    worker_ = std::jthread([this, work = std::move(work)] {
        try {
            work(*control_);
        } catch (const std::exception& error) {
            workerFailure_ = error.what();
        } catch (...) {
            workerFailure_ = "unknown error";
        }
        QMetaObject::invokeMethod(this, &BackgroundRun::ended, Qt::QueuedConnection);
    });
    return true;
}

void BackgroundRun::cancel() {
    if (running_ && control_) control_->cancel();
}

void BackgroundRun::tellProgress() {
    progressPosted_.store(false);
    if (running_) emit progressed(done_.load(), total_.load());
}

void BackgroundRun::ended() {
    if (worker_.joinable()) worker_.join();
    failure_ = workerFailure_;
    // The last count may still wait in the queue behind this call.
    if (progressPosted_.exchange(false)) emit progressed(done_.load(), total_.load());
    running_ = false;
    emit finished();
}

}  // namespace tav::desktop
