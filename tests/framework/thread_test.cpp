// The worker-thread object: it outlives its thread, its handle is waitable, and its
// destructor joins the thread.
#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <memory>

#include "framework/thread.h"
#include "tests/support/sim_fixture.h"

namespace {

struct Job {
    std::atomic<int> runs{0};
    std::promise<void> release;
    std::shared_future<void> released{release.get_future().share()};
    bool wait = false;
};

UINT RunJob(LPVOID param) {
    auto* job = static_cast<Job*>(param);
    if (job->wait) job->released.wait();
    ++job->runs;
    return 42;
}

TEST(WorkerThread, OutlivesItsThreadAndIsJoinedThroughItsHandle) {
    testsupport::SimMachineScope machine("");  // waits pass on a virtual clock
    Job job;
    auto* thread = new CWinThread(&RunJob, &job);
    thread->m_bAutoDelete = FALSE;
    EXPECT_EQ(thread->m_hThread, nullptr);
    DWORD code = 0;
    EXPECT_FALSE(thread->GetExitCodeThread(&code));

    ASSERT_TRUE(thread->CreateThread());
    EXPECT_FALSE(thread->CreateThread());  // one thread per object
    ASSERT_EQ(WaitForSingleObject(thread->m_hThread, INFINITE), WAIT_OBJECT_0);
    EXPECT_EQ(job.runs, 1);
    ASSERT_TRUE(thread->GetExitCodeThread(&code));
    EXPECT_EQ(code, 42u);
    // Waiting again on an ended thread returns at once.
    EXPECT_EQ(WaitForSingleObject(thread->m_hThread, INFINITE), WAIT_OBJECT_0);
    HANDLE handle = thread->m_hThread;
    delete thread;
    EXPECT_EQ(WaitForSingleObject(handle, 0), WAIT_FAILED);  // the handle is closed
}

TEST(WorkerThread, TheDestructorWaitsForARunningThread) {
    Job job;
    job.wait = true;
    auto* thread = new CWinThread(&RunJob, &job);
    thread->m_bAutoDelete = FALSE;
    ASSERT_TRUE(thread->CreateThread());
    DWORD code = 0;
    ASSERT_TRUE(thread->GetExitCodeThread(&code));
    EXPECT_EQ(code, STILL_ACTIVE);
    job.release.set_value();
    delete thread;
    EXPECT_EQ(job.runs, 1);
}

// Tells when it is destroyed.
class SelfDeleting : public CWinThread {
  public:
    SelfDeleting(Job* job, std::shared_ptr<std::promise<void>> gone)
        : CWinThread(&RunJob, job), m_gone(std::move(gone)) {}
    ~SelfDeleting() override { m_gone->set_value(); }

  private:
    std::shared_ptr<std::promise<void>> m_gone;
};

TEST(WorkerThread, AnAutoDeletingObjectDeletesItselfWhenItsThreadEnds) {
    static Job job;  // the thread may still be finishing when the test ends
    int runsBefore = job.runs;
    auto gone = std::make_shared<std::promise<void>>();
    std::future<void> goneFuture = gone->get_future();
    auto* thread = new SelfDeleting(&job, gone);  // m_bAutoDelete is TRUE by default
    gone.reset();
    ASSERT_TRUE(thread->CreateThread());
    goneFuture.wait();
    EXPECT_EQ(job.runs, runsBefore + 1);
}

TEST(WorkerThread, ASuspendedStartIsRefused) {
    Job job;
    CWinThread thread(&RunJob, &job);
    thread.m_bAutoDelete = FALSE;
    EXPECT_FALSE(thread.CreateThread(CREATE_SUSPENDED));
    EXPECT_EQ(thread.m_hThread, nullptr);
    EXPECT_EQ(job.runs, 0);
}

}  // namespace
