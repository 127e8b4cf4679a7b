#include "web/worker_thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <future>
#include <mutex>

namespace {

class CountingThread : public CWorkerThread {
public:
    explicit CountingThread(bool initOk = true, std::promise<void>* gone = nullptr)
        : initOk_(initOk), gone_(gone) {}
    ~CountingThread() override {
        if (gone_)
            gone_->set_value();
    }
    std::atomic<int> runs{0};
    std::atomic<int> exits{0};

protected:
    bool InitInstance() override { return initOk_; }
    int Run() override {
        ++runs;
        return 7;
    }
    int ExitInstance() override {
        ++exits;
        return 0;
    }

private:
    bool initOk_;
    std::promise<void>* gone_;
};

TEST(WorkerThread, HeldBackUntilResumedThenReportsRunResult) {
    CountingThread thread;
    ASSERT_TRUE(thread.Create(false));
    EXPECT_TRUE(thread.IsCreated());
    EXPECT_FALSE(thread.Wait(20)) << "a held-back thread must not run";
    EXPECT_EQ(thread.runs, 0);
    EXPECT_EQ(thread.ExitCode(), -1);

    ASSERT_TRUE(thread.Resume());
    ASSERT_TRUE(thread.Wait(10000));
    EXPECT_EQ(thread.runs, 1);
    EXPECT_EQ(thread.exits, 1);
    EXPECT_EQ(thread.ExitCode(), 7);
    EXPECT_FALSE(thread.IsCreated());

    // A second run of the same object.
    ASSERT_TRUE(thread.Create(true));
    ASSERT_TRUE(thread.Wait(10000));
    EXPECT_EQ(thread.runs, 2);
}

TEST(WorkerThread, FailedInitSkipsRunAndExit) {
    CountingThread thread(false);
    ASSERT_TRUE(thread.Create(true));
    ASSERT_TRUE(thread.Wait(10000));
    EXPECT_EQ(thread.runs, 0);
    EXPECT_EQ(thread.exits, 0);
    EXPECT_EQ(thread.ExitCode(), -1);
}

TEST(WorkerThread, HeldBackThreadIsDroppedWithItsObject) {
    auto thread = std::make_unique<CountingThread>();
    ASSERT_TRUE(thread->Create(false));
    thread.reset(); // must neither hang nor run
}

TEST(WorkerThread, AutoDeleteDestroysTheObjectOnItsThread) {
    std::promise<void> gone;
    auto destroyed = gone.get_future();
    auto* thread = new CountingThread(true, &gone);
    ASSERT_TRUE(thread->Create(false));
    thread->SetAutoDelete(true);
    thread->Resume();
    EXPECT_EQ(destroyed.wait_for(std::chrono::seconds(10)), std::future_status::ready);
}

} // namespace
