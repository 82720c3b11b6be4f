// One whole update: write mode, transfer, lock release, write preparation, polling through
// the drive's phases, and one result, with the events the window sees.
#include <gtest/gtest.h>

#include <functional>

#include "engine/update_event.h"
#include "framework/file_faults.h"
#include "tests/engine/engine_support.h"

namespace {

using enginetest::MakeImage;
using enginetest::UpdateRig;
using Events = std::vector<std::pair<int, int>>;
using Ops = std::vector<std::string>;

// 64 KiB of flash, so that after a good run the flash equals the 64 KiB image; phases of
// one, two, three and one polling cycle.
std::string NtMachine(const std::string& extra = "") {
    return "[machine]\nplatform = 2\n[drive cd]\nnt = port 0 target 1 lun 0\nnames = CdRom0\n"
           "type-code = ABC123\nflash-size = 0x10000\nchecking-ms = 500\nerasing-ms = 1000\n"
           "writing-ms = 1500\nverifying-ms = 500\n" +
           extra;
}

std::string AspiMachine(const std::string& extra = "") {
    return "[machine]\nplatform = 1\n[aspi]\n[adapter 0]\n[drive cd]\n"
           "aspi = adapter 0 target 1 lun 0\nform = scsi\ntype-code = ABC123\n"
           "flash-size = 0x10000\nchecking-ms = 500\nerasing-ms = 1000\nwriting-ms = 1500\n"
           "verifying-ms = 500\n" +
           extra;
}

const Events kGoodRunEvents = {{0, 0}, {2, 0}, {2, 25}, {2, 50}, {2, 75}, {3, 0}, {4, 0},
                               {4, 0}, {5, 0}, {5, 0},  {5, 0},  {6, 0},  {1, 0}};
const Ops kGoodRunOps = {"00",  "E4+", "E3",  "E2",  "E2",  "E2",  "E2",  "E0",  "E1",
                         "00v", "00v", "00v", "00v", "00v", "00v", "00v", "00v", "E4-"};

TEST(UpdateTest, GoodRunFlashesTheImageOverPassThrough) {
    UpdateRig rig(NtMachine(), 2, enginetest::CdRomEntry(0));
    const std::vector<uint8_t> image = MakeImage(0x10000);
    const std::string path = rig.Image(image);

    EXPECT_EQ(rig.controller.RunUpdate(0, path.c_str()), 0);

    EXPECT_EQ(rig.events.Events(), kGoodRunEvents);
    for (const auto& posted : rig.events.All()) {
        EXPECT_EQ(posted.hwnd, rig.events.window.m_hWnd.load());
        EXPECT_EQ(posted.message, static_cast<UINT>(WM_UPDATE_EVENT));
    }
    EXPECT_EQ(rig.DriveOpcodes(), kGoodRunOps);
    EXPECT_EQ(rig.Drive()->Flash(), image);
    EXPECT_FALSE(rig.Drive()->InWriteMode());
}

TEST(UpdateTest, GoodRunFlashesTheImageOverAspiInTheScsiForm) {
    DriveEntry entry = enginetest::AspiEntry(0, 1, 0, /*atapi=*/0);
    UpdateRig rig(AspiMachine(), 1, entry);
    const std::vector<uint8_t> image = MakeImage(0x10000);
    const std::string path = rig.Image(image);

    EXPECT_EQ(rig.controller.RunUpdate(0, path.c_str()), 0);

    EXPECT_EQ(rig.events.Events(), kGoodRunEvents);
    EXPECT_EQ(rig.DriveOpcodes(), kGoodRunOps);
    EXPECT_EQ(rig.Drive()->Log().front().cdbLength, 6);
    EXPECT_EQ(rig.Drive()->Log()[1].cdbLength, 10);
    EXPECT_EQ(rig.Drive()->Flash(), image);
}

TEST(UpdateTest, DriveWithoutTypeCodeIsNotAskedForIt) {
    UpdateRig rig(NtMachine(), 2, enginetest::CdRomEntry(0, 1, ""));
    const std::vector<uint8_t> image = MakeImage(0x10000);
    EXPECT_EQ(rig.controller.RunUpdate(0, rig.Image(image).c_str()), 0);
    const Ops ops = rig.DriveOpcodes();
    EXPECT_EQ(std::count(ops.begin(), ops.end(), "E3"), 0);
    EXPECT_EQ(rig.Drive()->Flash(), image);
}

struct FailureCase {
    const char* name;
    std::string driveFaults;
    std::function<std::string(UpdateRig&)> image;  // the path to update with
    UpdateResult result;
    Ops ops;
};

std::string GoodImage(UpdateRig& rig) { return rig.Image(MakeImage(0x10000)); }

TEST(UpdateTest, EachFailureEndsTheRunWithItsResultAndLeavesWriteMode) {
    const Ops throughTransfer = {"00", "E4+", "E3", "E2", "E2", "E2", "E2"};
    auto then = [&](std::initializer_list<std::string> tail) {
        Ops ops = throughTransfer;
        ops.insert(ops.end(), tail);
        return ops;
    };
    const FailureCase cases[] = {
        {"entering write mode fails",
         "fault = command E4 sense 5/24/00 nth 1",
         GoodImage,
         2,
         {"00", "E4+"}},
        {"image missing",
         "",
         [](UpdateRig& rig) { return rig.dir.File("missing.bin"); },
         3,
         {"00", "E4+", "E4-"}},
        {"image status unreadable",
         "",
         [](UpdateRig& rig) {
             const std::string path = GoodImage(rig);
             file_faults::FailStatus(path);
             return path;
         },
         3,
         {"00", "E4+", "E4-"}},
        {"type code unreadable from the drive",
         "fault = command E3 sense 4/00/00",
         GoodImage,
         11,
         {"00", "E4+", "E3", "E4-"}},
        {"type codes differ in the sixth byte",
         "",
         [](UpdateRig& rig) { return rig.Image(MakeImage(0x10000, "ABC124")); },
         12,
         {"00", "E4+", "E3", "E4-"}},
        {"image unreadable at its type code",
         "",
         [](UpdateRig& rig) {
             const std::string path = GoodImage(rig);
             file_faults::FailReadAt(path, 4);
             return path;
         },
         13,
         {"00", "E4+", "E4-"}},
        {"image unreadable in its second block",
         "",
         [](UpdateRig& rig) {
             const std::string path = GoodImage(rig);
             file_faults::FailReadAt(path, 20000);
             return path;
         },
         13,
         {"00", "E4+", "E3", "E2", "E4-"}},
        {"image ends before its type code",
         "",
         [](UpdateRig& rig) { return rig.Image(MakeImage(13)); },
         13,
         {"00", "E4+", "E4-"}},
        {"third block refused",
         "fault = command E2 sense 4/08/00 nth 3",
         GoodImage,
         4,
         {"00", "E4+", "E3", "E2", "E2", "E2", "E4-"}},
        {"lock release refused", "fault = command E0 sense 5/2C/00", GoodImage, 5,
         then({"E0", "E4-"})},
        {"write preparation refused", "fault = command E1 sense 5/2C/00", GoodImage, 6,
         then({"E0", "E1", "E4-"})},
        {"received data not valid", "fault = phase checking", GoodImage, 7,
         then({"E0", "E1", "00v", "00v", "E4-"})},
        {"erasing fails", "fault = phase erasing", GoodImage, 8,
         then({"E0", "E1", "00v", "00v", "00v", "00v", "E4-"})},
        {"writing fails", "fault = phase writing", GoodImage, 9,
         then({"E0", "E1", "00v", "00v", "00v", "00v", "00v", "00v", "00v", "E4-"})},
        {"written data not valid", "fault = phase verifying", GoodImage, 10,
         then({"E0", "E1", "00v", "00v", "00v", "00v", "00v", "00v", "00v", "00v", "E4-"})},
    };
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.name);
        file_faults::Scope faults;
        UpdateRig rig(NtMachine(c.driveFaults), 2, enginetest::CdRomEntry(0));
        const std::vector<uint8_t> flashBefore = rig.Drive()->Flash();
        const std::string path = c.image(rig);

        EXPECT_EQ(rig.controller.RunUpdate(0, path.c_str()), c.result);

        EXPECT_EQ(rig.DriveOpcodes(), c.ops);
        EXPECT_FALSE(rig.Drive()->InWriteMode());
        const auto events = rig.events.Events();
        ASSERT_GE(events.size(), 2u);
        EXPECT_EQ(events.front(), std::make_pair(0, 0));
        EXPECT_EQ(events.back(), std::make_pair(1, c.result));
        EXPECT_EQ(
            std::count_if(events.begin(), events.end(), [](const auto& e) { return e.first == 1; }),
            1);
        if (c.result != 8 && c.result != 9 && c.result != 10) {
            EXPECT_EQ(rig.Drive()->Flash(), flashBefore);
        }
    }
}

TEST(UpdateTest, DrivePositionOutsideTheListSendsNothing) {
    for (int position : {-1, 1, 1000}) {
        SCOPED_TRACE(position);
        UpdateRig rig(NtMachine(), 2, enginetest::CdRomEntry(0));
        EXPECT_EQ(rig.controller.RunUpdate(position, rig.Image(MakeImage(0x10000)).c_str()), 1);
        EXPECT_EQ(rig.events.Events(), (Events{{0, 0}, {1, 1}}));
        EXPECT_TRUE(rig.Drive()->Log().empty());
        EXPECT_TRUE(rig.sim->DeviceEvents().empty());
    }
}

TEST(UpdateTest, WithoutWindowTheRunPostsNothing) {
    UpdateRig rig(NtMachine(), 2, enginetest::CdRomEntry(0));
    rig.controller.m_notifyWnd = nullptr;
    const std::vector<uint8_t> image = MakeImage(0x10000);
    EXPECT_EQ(rig.controller.RunUpdate(0, rig.Image(image).c_str()), 0);
    EXPECT_TRUE(rig.events.All().empty());
    EXPECT_EQ(rig.Drive()->Flash(), image);
}

// The window's thread abandons the run when an event arrives; here the poster itself plays
// the window, so the flag is set at an exact point of the run.
void CancelOn(UpdateRig& rig, std::pair<int, int> event) {
    rig.events.OnPost([&rig, event](const enginetest::PostedMessage& m) {
        if (static_cast<int>(m.code) == event.first && static_cast<int>(m.value) == event.second) {
            rig.cancel.store(1);
        }
    });
}

TEST(UpdateCancelTest, CancelDuringTransferSendsNoMoreBlocksAndNeverFlashes) {
    const struct {
        const char* name;
        size_t imageSize;
        std::pair<int, int> cancelAt;
        int blocksSent;
        Events events;
    } cases[] = {
        {"before the fourth of four blocks",
         0x10000,
         {2, 50},
         3,
         {{0, 0}, {2, 0}, {2, 25}, {2, 50}, {1, 15}}},
        {"before the remainder", 0x4000 + 100, {2, 0}, 1, {{0, 0}, {2, 0}, {1, 15}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        UpdateRig rig(NtMachine(), 2, enginetest::CdRomEntry(0));
        const std::vector<uint8_t> flashBefore = rig.Drive()->Flash();
        CancelOn(rig, c.cancelAt);

        EXPECT_EQ(rig.controller.RunUpdate(0, rig.Image(MakeImage(c.imageSize)).c_str()), 15);

        Ops expected = {"00", "E4+", "E3"};
        expected.insert(expected.end(), c.blocksSent, "E2");
        expected.push_back("E4-");
        EXPECT_EQ(rig.DriveOpcodes(), expected);
        EXPECT_EQ(rig.events.Events(), c.events);
        EXPECT_FALSE(rig.Drive()->InWriteMode());
        EXPECT_EQ(rig.Drive()->CurrentPhase(), machine::sim::Phase::None);
        EXPECT_EQ(rig.Drive()->Flash(), flashBefore);
    }
}

TEST(UpdateCancelTest, CancelDuringPollingEndsAfterThatCycleAndLeavesWriteMode) {
    UpdateRig rig(NtMachine(), 2, enginetest::CdRomEntry(0));
    CancelOn(rig, {4, 0});
    const uint64_t before = rig.sim->clock().NowMs();

    EXPECT_EQ(rig.controller.RunUpdate(0, rig.Image(MakeImage(0x10000)).c_str()), 0);

    EXPECT_EQ(rig.events.Events(),
              (Events{{0, 0}, {2, 0}, {2, 25}, {2, 50}, {2, 75}, {3, 0}, {4, 0}, {1, 0}}));
    EXPECT_EQ(rig.DriveOpcodes(),
              (Ops{"00", "E4+", "E3", "E2", "E2", "E2", "E2", "E0", "E1", "00v", "00v", "E4-"}));
    EXPECT_EQ(rig.sim->clock().NowMs() - before, 1000u);  // two cycles, each with its pause
}

struct PollCase {
    const char* name;
    std::vector<std::string> senses;  // what the first polls report, before the drive's end
    UpdateResult result;
    std::vector<int> events;  // phase events
    int polls;
};

// WaitForCompletion alone, on a drive that is not flashing: scripted polls first, then the
// drive's own answer, MEDIUM NOT PRESENT, which ends the polling with success.
TEST(WaitForCompletionTest, SenseDecidesBetweenPhaseEndAndError) {
    const PollCase cases[] = {
        {"end of flashing", {}, 0, {}, 1},
        {"erasing three times", {"2/F7/01", "2/F7/01", "2/F7/01"}, 0, {4, 4, 4}, 4},
        {"every phase", {"2/F7/00", "2/F7/01", "2/F7/02", "2/F7/03"}, 0, {3, 4, 5, 6}, 5},
        {"unknown phase", {"2/F7/04", "2/F7/FF"}, 0, {}, 3},
        {"received data not valid", {"4/F5/00"}, 7, {}, 1},
        {"erasing fails", {"2/F7/01", "4/F1/00"}, 8, {4}, 2},
        {"writing fails", {"4/F2/00"}, 9, {}, 1},
        {"written data not valid", {"4/F4/07"}, 10, {}, 1},
        {"error codes with another sense key",
         {"3/F1/00", "2/F2/00", "4/F7/01", "4/3A/00"},
         0,
         {},
         5},
        {"GOOD status", {"good", "good"}, 0, {}, 3},
        {"other sense", {"6/29/00", "2/04/07"}, 0, {}, 3},
    };
    for (const PollCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::string faults;
        for (size_t i = 0; i < c.senses.size(); ++i) {
            const std::string nth = " nth " + std::to_string(i + 1) + "\n";
            faults += c.senses[i] == "good" ? "fault = command 00 status 0" + nth
                                            : "fault = command 00 sense " + c.senses[i] + nth;
        }
        UpdateRig rig(NtMachine(faults), 2, enginetest::CdRomEntry(0));
        rig.controller.SelectDrive(rig.controller.m_drives.front());
        const uint64_t before = rig.sim->clock().NowMs();

        EXPECT_EQ(rig.controller.WaitForCompletion(), c.result);

        std::vector<int> events;
        for (const auto& e : rig.events.Events()) events.push_back(e.first);
        EXPECT_EQ(events, c.events);
        EXPECT_EQ(rig.DriveOpcodes(), Ops(c.polls, "00v"));
        // Every cycle pauses, also the one that ended the polling.
        EXPECT_EQ(rig.sim->clock().NowMs() - before, 500u * c.polls);
    }
}

}  // namespace
