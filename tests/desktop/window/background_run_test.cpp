#include "window/background_run.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTest>
#include <QThread>
#include <stdexcept>

namespace tav::desktop {
namespace {

struct Heard {
    std::vector<std::pair<int, int>> progress;
    int finished = 0;
    bool progressOnUiThread = true;
    bool runningAtFinish = true;
};

TEST(BackgroundRun, TellsProgressAndTheEndOnTheWindowThread) {
    BackgroundRun run;
    Heard heard;
    QObject::connect(&run, &BackgroundRun::progressed, [&](int done, int total) {
        heard.progress.emplace_back(done, total);
        heard.progressOnUiThread &= QThread::currentThread() == qApp->thread();
    });
    QObject::connect(&run, &BackgroundRun::finished, [&] {
        ++heard.finished;
        heard.runningAtFinish = run.running();
    });
    std::thread::id workerThread;
    ASSERT_TRUE(run.start([&workerThread](RunControl& control) {
        workerThread = std::this_thread::get_id();
        for (int done = 1; done <= 500; ++done) control.progress(done, 500);
    }));
    EXPECT_TRUE(run.running());
    EXPECT_FALSE(run.start([](RunControl&) {}));  // one run at a time
    ASSERT_TRUE(QTest::qWaitFor([&] { return heard.finished > 0; }, 5000));
    QCoreApplication::processEvents();
    EXPECT_NE(workerThread, std::this_thread::get_id());
    EXPECT_EQ(heard.finished, 1);
    EXPECT_FALSE(heard.runningAtFinish);
    EXPECT_TRUE(heard.progressOnUiThread);
    ASSERT_FALSE(heard.progress.empty());
    // Bursts are folded, never reordered, and the last count arrives before the end.
    EXPECT_LE(heard.progress.size(), 500u);
    EXPECT_TRUE(std::is_sorted(heard.progress.begin(), heard.progress.end()));
    EXPECT_EQ(heard.progress.back(), std::pair(500, 500));
    EXPECT_TRUE(run.failure().empty());
}

TEST(BackgroundRun, CancelFailureAndDestructionWhileRunning) {
    struct Case {
        const char* what;
        BackgroundRun::Work work;
        bool cancel;
        std::string failure;
    };
    // Runs until told to stop, as the engine's runs do.
    const auto untilCancelled = [](RunControl& control) {
        while (!control.cancelled()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    };
    const Case cases[] = {
        {"cancelled", untilCancelled, true, ""},
        {"throws", [](RunControl&) { throw std::runtime_error("disk gone"); }, false, "disk gone"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        BackgroundRun run;
        bool finished = false;
        QObject::connect(&run, &BackgroundRun::finished, [&] { finished = true; });
        ASSERT_TRUE(run.start(c.work));
        if (c.cancel) run.cancel();
        ASSERT_TRUE(QTest::qWaitFor([&] { return finished; }, 5000));
        EXPECT_EQ(run.cancelRequested(), c.cancel);
        EXPECT_EQ(run.failure(), c.failure);
        // The next run starts afresh, not cancelled by the last one.
        bool cancelledAtStart = true;
        finished = false;
        ASSERT_TRUE(run.start([&](RunControl& control) { cancelledAtStart = control.cancelled(); }));
        ASSERT_TRUE(QTest::qWaitFor([&] { return finished; }, 5000));
        EXPECT_FALSE(cancelledAtStart);
        EXPECT_TRUE(run.failure().empty());
    }
    // Going away mid-run stops the worker instead of leaving it behind.
    auto run = std::make_unique<BackgroundRun>();
    ASSERT_TRUE(run->start(untilCancelled));
    run.reset();
    QCoreApplication::processEvents();
}

}  // namespace
}  // namespace tav::desktop
