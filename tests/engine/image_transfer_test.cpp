// Sending an image in 16 KiB blocks with its progress events, the type-code check, and
// images that cannot be sent whole.
#include <gtest/gtest.h>

#include <filesystem>

#include "framework/file_faults.h"
#include "tests/engine/engine_support.h"

namespace {

using enginetest::MakeImage;
using enginetest::UpdateRig;
using Events = std::vector<std::pair<int, int>>;

const char* const kMachine = R"(
[machine]
platform = 2
[drive cd]
nt = port 0 target 1 lun 0
names = CdRom0
type-code = ABC123
)";

std::vector<uint32_t> BlockLengths(machine::sim::Drive& drive) {
    std::vector<uint32_t> lengths;
    for (const auto& r : drive.Log()) {
        if (r.cdb[0] == 0xE2) lengths.push_back(r.length);
    }
    return lengths;
}

std::vector<uint8_t> SentBytes(machine::sim::Drive& drive) {
    std::vector<uint8_t> sent;
    for (const auto& r : drive.Log()) {
        if (r.cdb[0] == 0xE2) sent.insert(sent.end(), r.dataOut.begin(), r.dataOut.end());
    }
    return sent;
}

TEST(TransferImageTest, BlocksAndProgressFollowTheImageSize) {
    const struct {
        size_t size;
        std::vector<uint32_t> blocks;
        std::vector<int> progress;
    } cases[] = {
        {65536, {16384, 16384, 16384, 16384}, {0, 25, 50, 75}},
        {16383, {16383}, {}},
        {16384, {16384}, {0}},
        {40000, {16384, 16384, 7232}, {0, 50}},
        {3 * 16384, {16384, 16384, 16384}, {0, 33, 66}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.size);
        UpdateRig rig(kMachine, 2, enginetest::CdRomEntry(0));
        rig.controller.SelectDrive(rig.controller.m_drives.front());
        const std::vector<uint8_t> image = MakeImage(c.size);

        EXPECT_EQ(rig.controller.TransferImage(4, rig.Image(image).c_str(), 1), 0);

        EXPECT_EQ(BlockLengths(*rig.Drive()), c.blocks);
        EXPECT_EQ(SentBytes(*rig.Drive()), image);  // from its first byte, after the check
        std::vector<int> progress;
        for (const auto& e : rig.events.Events()) {
            EXPECT_EQ(e.first, 2);
            progress.push_back(e.second);
        }
        EXPECT_EQ(progress, c.progress);
    }
}

TEST(TransferImageTest, TypeCodeCheckComparesTheFirstSixBytes) {
    auto withTail = [](const std::string& typeCode, const std::string& tail) {
        std::vector<uint8_t> image = MakeImage(0x8000, typeCode);
        std::copy(tail.begin(), tail.end(), image.begin() + 10);
        return image;
    };
    const struct {
        const char* name;
        std::vector<uint8_t> image;
        UpdateResult result;
    } cases[] = {
        {"same type code", MakeImage(0x8000, "ABC123"), 0},
        {"sixth byte differs", MakeImage(0x8000, "ABC124"), 12},
        {"first byte differs in case", MakeImage(0x8000, "aBC123"), 12},
        {"bytes seven to ten differ", withTail("ABC123", "\x01\x02\x03\x04"), 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        UpdateRig rig(kMachine, 2, enginetest::CdRomEntry(0));
        rig.controller.SelectDrive(rig.controller.m_drives.front());

        EXPECT_EQ(rig.controller.TransferImage(4, rig.Image(c.image).c_str(), 1), c.result);

        const auto log = rig.Drive()->Log();
        ASSERT_FALSE(log.empty());
        EXPECT_EQ(enginetest::Cdb(log[0]),
                  (std::vector<uint8_t>{0xE3, 0, 0, 0, 0, 4, 0, 0, 10, 0, 0, 0}));
        EXPECT_EQ(BlockLengths(*rig.Drive()).size(), c.result == 0 ? 2u : 0u);
    }
}

TEST(TransferImageTest, WithoutCheckTheDriveIsNotAskedAndTheFileNotSeeked) {
    file_faults::Scope faults;
    UpdateRig rig(kMachine, 2, enginetest::CdRomEntry(0));
    rig.controller.SelectDrive(rig.controller.m_drives.front());
    const std::vector<uint8_t> image = MakeImage(0x8000, "OTHER1");
    const std::string path = rig.Image(image);
    file_faults::FailSeek(path);

    EXPECT_EQ(rig.controller.TransferImage(4, path.c_str(), 0), 0);
    EXPECT_EQ(enginetest::Opcodes(rig.Drive()->Log()), (std::vector<std::string>{"E2", "E2"}));

    // With the check the same seek fault is a failed image read.
    rig.Drive()->ClearLog();
    EXPECT_EQ(rig.controller.TransferImage(4, path.c_str(), 1), 13);
    EXPECT_TRUE(rig.Drive()->Log().empty());
}

TEST(TransferImageTest, TypeCodeAtAHigherOffsetIsReadFromThere) {
    UpdateRig rig(R"(
[machine]
platform = 2
[drive cd]
nt = port 0 target 1 lun 0
names = CdRom0
type-code = XY5470
type-code-offset = 0x8004
)",
                  2, enginetest::CdRomEntry(0));
    rig.controller.SelectDrive(rig.controller.m_drives.front());
    const std::string path = rig.Image(MakeImage(0x10000, "XY5470", 0x8004));
    EXPECT_EQ(rig.controller.TransferImage(0x8004, path.c_str(), 1), 0);
    EXPECT_EQ(enginetest::Cdb(rig.Drive()->Log().front()),
              (std::vector<uint8_t>{0xE3, 0, 0, 0, 0x80, 0x04, 0, 0, 10, 0, 0, 0}));
}

// The framework's read returns fewer bytes at the end of a file without complaint; an image
// that ends inside its type code must not be compared with whatever the buffer held.
TEST(TransferImageTest, ImageEndingBeforeTheTypeCodeIsAFailedRead) {
    for (size_t size : {0, 4, 9, 13}) {
        SCOPED_TRACE(size);
        UpdateRig rig(kMachine, 2, enginetest::CdRomEntry(0));
        rig.controller.SelectDrive(rig.controller.m_drives.front());
        EXPECT_EQ(rig.controller.TransferImage(4, rig.Image(MakeImage(size)).c_str(), 1), 13);
        EXPECT_TRUE(rig.Drive()->Log().empty());
    }
}

// The file status holds the size as a signed 32-bit number: 2 GiB and more reads as
// negative, and beyond 4 GiB as a small wrong size. Neither may reach the drive as an image.
TEST(TransferImageTest, ImagesOfTwoGibibytesOrMoreAreRefused) {
    const struct {
        const char* name;
        uintmax_t size;
    } cases[] = {
        {"2 GiB", 0x80000000u},
        {"4 GiB + 100 bytes", 0x100000064u},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        UpdateRig rig(kMachine, 2, enginetest::CdRomEntry(0));
        const std::string path = rig.Image(MakeImage(0x8000));
        std::filesystem::resize_file(path, c.size);  // sparse: costs neither disk nor memory

        EXPECT_EQ(rig.controller.RunUpdate(0, path.c_str()), 3);

        const auto ops = enginetest::Opcodes(rig.Drive()->Log());
        EXPECT_EQ(std::count(ops.begin(), ops.end(), "E0"), 0);
        EXPECT_EQ(std::count(ops.begin(), ops.end(), "E1"), 0);
        EXPECT_EQ(ops.back(), "E4-");
        std::filesystem::remove(path);
    }
}

}  // namespace
