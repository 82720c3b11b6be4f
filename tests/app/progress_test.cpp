// How the worker's events move the status line and the progress bar (0 to 1000): the
// transfer fills the first half, each drive phase starts at its base and every repetition
// moves the bar on by 10.
#include <gtest/gtest.h>

#include <vector>

#include "engine/update_job.h"
#include "tests/app/updater_rig.h"

namespace apptest {
namespace {

struct Step {
    int code;
    int value;
    int position;  // after the event
    UINT status;   // string shown after the event
};

struct Sequence {
    const char* what;
    std::vector<Step> steps;
};

std::vector<Step> Repeat(int code, int times, int firstPosition, UINT status) {
    std::vector<Step> steps;
    for (int i = 0; i < times; ++i) steps.push_back({code, 0, firstPosition + 10 * i, status});
    return steps;
}

std::vector<Step> Join(std::vector<std::vector<Step>> parts) {
    std::vector<Step> all;
    for (auto& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

TEST(UpdateProgress, EventsMoveStatusAndBar) {
    const Sequence sequences[] = {
        {"transfer percentages, then the first phase",
         {{2, 0, 0, 118}, {2, 1, 0, 118}, {2, 2, 10, 118}, {2, 99, 490, 118}, {3, 0, 500, 119}}},
        {"a phase repeated three times", Join({Repeat(4, 3, 625, 120)})},
        {"a phase whose base lies below the bar moves it on by 10",
         Join({Repeat(3, 21, 500, 119), {{4, 0, 710, 120}}})},
        {"phases out of order", {{6, 0, 875, 122}, {5, 0, 885, 121}, {3, 0, 895, 119}}},
        {"each phase from the transfer",
         {{2, 50, 250, 118},
          {3, 0, 500, 119},
          {4, 0, 625, 120},
          {5, 0, 750, 121},
          {6, 0, 875, 122},
          {6, 0, 885, 122}}},
        {"the start resets the bar and keeps the status", {{2, 60, 300, 118}, {0, 0, 0, 118}}},
        {"unknown events change nothing",
         {{2, 40, 200, 118}, {7, 5, 200, 118}, {-1, 0, 200, 118}, {99, 3, 200, 118}}},
        {"a failed end leaves the bar", {{2, 80, 400, 118}, {1, 12, 400, 125}}},
    };
    for (const Sequence& sequence : sequences) {
        SCOPED_TRACE(sequence.what);
        World world;
        UpdaterRig rig(world, OneDriveWithImage(world));
        ASSERT_TRUE(rig.Idle());
        ASSERT_EQ(rig.Position(), 0);
        for (const Step& step : sequence.steps) {
            rig.Post(step.code, step.value);
            EXPECT_EQ(rig.Position(), step.position) << "event " << step.code << "/" << step.value;
            EXPECT_EQ(rig.Status(), Str(step.status)) << "event " << step.code;
        }
        EXPECT_EQ(rig.user.Progress(IDC_PROGRESS).upper, 1000);
        EXPECT_FALSE(rig.user.BoxOpen());
    }
}

TEST(UpdateProgress, SuccessFillsTheBarAndOffersPowerOff) {
    World world;
    UpdaterRig rig(world, OneDriveWithImage(world));
    rig.Post(2, 98);
    rig.Post(1, 0);
    EXPECT_EQ(rig.Position(), 1000);
    EXPECT_EQ(rig.Status(), Str(IDS_RESULT_OK));
    ASSERT_TRUE(rig.user.BoxOpen());
    EXPECT_EQ(rig.user.Box().message, Str(IDS_CONFIRM_POWER_OFF));
    rig.user.Answer(IDNO);
    EXPECT_FALSE(rig.user.BoxOpen());
}

// Whatever the result, a cancelled run says it was cancelled; otherwise the result's text.
TEST(UpdateProgress, ResultTextsAndCancel) {
    const struct {
        int result;
        int cancel;
        UINT status;
    } rows[] = {
        {4, 0, IDS_RESULT_TRANSFER_FAILED},
        {13, 0, IDS_RESULT_FILE_READ_FAILED},
        {14, 0, IDS_ERROR},
        {15, 0, IDS_CANCELLED},
        {16, 0, IDS_ERROR},
        {-5, 0, IDS_ERROR},
        {0, 1, IDS_CANCELLED},
        {9, 1, IDS_CANCELLED},
    };
    for (const auto& row : rows) {
        World world;
        UpdaterRig rig(world, OneDriveWithImage(world));
        g_updateJob.cancel.store(row.cancel);
        rig.Post(1, row.result);
        EXPECT_EQ(rig.Status(), Str(row.status)) << "result " << row.result;
        // Only an uncancelled success asks about switching off.
        EXPECT_FALSE(rig.user.BoxOpen()) << "result " << row.result;
        g_updateJob.cancel.store(0);
    }
}

}  // namespace
}  // namespace apptest
