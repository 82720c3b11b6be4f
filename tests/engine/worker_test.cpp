// The update on its worker thread: the job block, one thread object per run, events that are
// only ever posted, and the cancel flag written by another thread.
#include <gtest/gtest.h>

#include <condition_variable>
#include <memory>
#include <mutex>

#include "engine/update_event.h"
#include "engine/update_job.h"
#include "engine/worker_thread.h"
#include "tests/engine/engine_support.h"

namespace {

using enginetest::MakeImage;
using enginetest::UpdateRig;
using Events = std::vector<std::pair<int, int>>;

std::string Machine(const std::string& phases = "phase-ms = 500") {
    return "[machine]\nplatform = 2\n[drive cd]\nnt = port 0 target 1 lun 0\nnames = CdRom0\n"
           "type-code = ABC123\nflash-size = 0x8000\n" +
           phases + "\n";
}

// Fills the process-wide job as the dialog does at initialisation, and empties it again.
class JobScope {
  public:
    explicit JobScope(UpdateRig& rig) {
        g_updateJob.controller = &rig.controller;
        g_updateJob.notifyWnd = &rig.events.window;
        g_updateJob.message = WM_UPDATE_EVENT;
    }
    ~JobScope() {
        g_updateJob.controller = nullptr;
        g_updateJob.notifyWnd = nullptr;
        g_updateJob.message = 0;
        g_updateJob.imagePath.clear();
        g_updateJob.driveIndex = 0;
        g_updateJob.cancel.store(0);
    }
};

// What the dialog does at Start: fill the job, join and delete the previous worker, start a
// new one.
std::unique_ptr<CUpdateThread> Start(std::unique_ptr<CUpdateThread> previous, int driveIndex,
                                     const std::string& image) {
    g_updateJob.driveIndex = driveIndex;
    g_updateJob.imagePath = image;
    g_updateJob.cancel.store(0);
    if (previous) {
        EXPECT_EQ(WaitForSingleObject(previous->m_hThread, INFINITE), WAIT_OBJECT_0);
        previous.reset();
    }
    auto worker = std::make_unique<CUpdateThread>(&g_updateJob);
    EXPECT_FALSE(worker->m_bAutoDelete);
    EXPECT_TRUE(worker->CreateThread());
    return worker;
}

Events EventsOfRun(const Events& all, size_t index) {
    // The events of the index-th run: from its event 0 to its event 1.
    Events run;
    size_t seen = 0;
    for (const auto& e : all) {
        if (e.first == 0) ++seen;
        if (seen == index + 1) run.push_back(e);
    }
    return run;
}

TEST(WorkerTest, TwoRunsOneAfterTheOther) {
    UpdateRig rig(Machine(), 2, enginetest::CdRomEntry(0));
    JobScope job(rig);
    const std::vector<uint8_t> first = MakeImage(0x8000);
    std::vector<uint8_t> second = MakeImage(0x8000);
    second.back() = 0x5A;

    auto worker = Start(nullptr, 0, rig.Image(first, "first.bin"));
    ASSERT_EQ(WaitForSingleObject(worker->m_hThread, INFINITE), WAIT_OBJECT_0);
    // The object outlives its thread, which ended with exit code 0.
    DWORD exitCode = STILL_ACTIVE;
    EXPECT_TRUE(worker->GetExitCodeThread(&exitCode));
    EXPECT_EQ(exitCode, 0u);
    EXPECT_EQ(rig.Drive()->Flash(), first);

    worker = Start(std::move(worker), 0, rig.Image(second, "second.bin"));
    ASSERT_EQ(WaitForSingleObject(worker->m_hThread, INFINITE), WAIT_OBJECT_0);
    worker.reset();

    const Events all = rig.events.Events();
    const Events expected = {{0, 0}, {2, 0}, {2, 50}, {3, 0}, {4, 0}, {5, 0}, {6, 0}, {1, 0}};
    EXPECT_EQ(EventsOfRun(all, 0), expected);
    EXPECT_EQ(EventsOfRun(all, 1), expected);
    EXPECT_EQ(all.size(), 2 * expected.size());
    EXPECT_EQ(rig.Drive()->Flash(), second);
    // The worker wired the controller to the job.
    EXPECT_EQ(rig.controller.m_cancel, &g_updateJob.cancel);
    EXPECT_EQ(rig.controller.m_notifyWnd, &rig.events.window);
}

// The window's thread may wait for the worker without handling anything: the worker only
// posts, so it runs to its end while nobody takes its events.
TEST(WorkerTest, WorkerPostsAndNeverWaitsForTheWindow) {
    UpdateRig rig(Machine(), 2, enginetest::CdRomEntry(0));
    JobScope job(rig);
    auto worker = Start(nullptr, 0, rig.Image(MakeImage(0x8000)));
    ASSERT_EQ(WaitForSingleObject(worker->m_hThread, INFINITE), WAIT_OBJECT_0);

    const auto posted = rig.events.All();
    ASSERT_FALSE(posted.empty());
    for (const auto& m : posted) {
        EXPECT_NE(m.thread, std::this_thread::get_id());
        EXPECT_EQ(m.message, static_cast<UINT>(WM_UPDATE_EVENT));
    }
    EXPECT_EQ(rig.events.Events().back(), std::make_pair(1, 0));
}

TEST(WorkerTest, JobForADriveOutsideTheListEndsAtOnce) {
    UpdateRig rig(Machine(), 2, enginetest::CdRomEntry(0));
    JobScope job(rig);
    auto worker = Start(nullptr, 1, rig.Image(MakeImage(0x8000)));
    ASSERT_EQ(WaitForSingleObject(worker->m_hThread, INFINITE), WAIT_OBJECT_0);
    EXPECT_EQ(rig.events.Events(), (Events{{0, 0}, {1, 1}}));
    EXPECT_TRUE(rig.Drive()->Log().empty());
}

TEST(WorkerTest, WorkerWithoutJobDoesNothing) {
    UpdateRig rig(Machine(), 2, enginetest::CdRomEntry(0));
    CUpdateThread worker(nullptr);
    ASSERT_TRUE(worker.CreateThread());
    ASSERT_EQ(WaitForSingleObject(worker.m_hThread, INFINITE), WAIT_OBJECT_0);
    DWORD exitCode = STILL_ACTIVE;
    EXPECT_TRUE(worker.GetExitCodeThread(&exitCode));
    EXPECT_EQ(exitCode, 0u);
    EXPECT_TRUE(rig.events.All().empty());
}

// The window's thread sets the flag while the worker polls a drive that erases for a day of
// virtual time: the worker stops after that cycle, leaves write mode and still reports.
TEST(WorkerTest, CancelFromTheWindowThreadDuringPolling) {
    UpdateRig rig(Machine("erasing-ms = 86400000"), 2, enginetest::CdRomEntry(0));
    JobScope job(rig);
    std::mutex lock;
    std::condition_variable erasing;
    bool seen = false;
    rig.events.OnPost([&](const enginetest::PostedMessage& m) {
        if (m.code == 4) {
            std::lock_guard<std::mutex> hold(lock);
            seen = true;
            erasing.notify_all();
        }
    });

    auto worker = Start(nullptr, 0, rig.Image(MakeImage(0x8000)));
    {
        std::unique_lock<std::mutex> hold(lock);
        erasing.wait(hold, [&] { return seen; });
    }
    g_updateJob.cancel.store(1);
    ASSERT_EQ(WaitForSingleObject(worker->m_hThread, INFINITE), WAIT_OBJECT_0);

    const Events events = rig.events.Events();
    EXPECT_EQ(events.back(), std::make_pair(1, 0));
    EXPECT_EQ(
        std::count_if(events.begin(), events.end(), [](const auto& e) { return e.first == 1; }), 1);
    EXPECT_EQ(enginetest::Opcodes(rig.Drive()->Log()).back(), "E4-");
    EXPECT_FALSE(rig.Drive()->InWriteMode());
    EXPECT_EQ(rig.Drive()->CurrentPhase(), machine::sim::Phase::Erasing);
}

}  // namespace
