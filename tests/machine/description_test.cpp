// Reading machine descriptions: the documented example, defaults, and mistakes that are
// reported with their line instead of crashing.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "machine/sim/description.h"
#include "tests/support/sim_fixture.h"

namespace {

using machine::sim::Description;
using machine::sim::ParseDescription;

// The first ```ini block of the description format's documentation.
std::string DocumentedExample() {
    std::string here = __FILE__;
    std::string root = here.substr(0, here.rfind("/tests/"));
    std::ifstream in(root + "/docs/machine-description.md");
    std::stringstream all;
    all << in.rdbuf();
    std::string text = all.str();
    size_t start = text.find("```ini\n");
    size_t end = text.find("```", start + 7);
    if (start == std::string::npos || end == std::string::npos) return std::string();
    return text.substr(start + 7, end - start - 7);
}

TEST(Description, DocumentedExampleDescribesTheMachine) {
    std::string text = DocumentedExample();
    ASSERT_FALSE(text.empty());
    Description d;
    std::string error;
    ASSERT_TRUE(ParseDescription(text, "/tmp", d, error)) << error;
    EXPECT_EQ(d.platformId, 2u);
    EXPECT_FALSE(d.virtualClock);
    EXPECT_EQ(d.program, "/tmp/demo/CDRWUPD.EXE");
    ASSERT_EQ(d.drives.size(), 3u);
    const auto& cd = d.drives[0];
    EXPECT_EQ(cd.vendor, "        ");
    EXPECT_EQ(cd.model, "CD-R/RW KP2140A");
    EXPECT_EQ(cd.typeCodeOffset, 4u);
    EXPECT_EQ(cd.flashFile, "/tmp/cd.flash");
    EXPECT_EQ(cd.nt.target, 1);
    EXPECT_EQ(cd.asyncOpcodes.count(0xE2), 1u);
    EXPECT_FALSE(d.drives[1].atapi);
    ASSERT_EQ(d.drives[1].commandFaults.size(), 1u);
    EXPECT_EQ(d.drives[1].commandFaults[0].opcode, 0xE2);
    EXPECT_EQ(d.drives[1].commandFaults[0].when.n, 3);
    EXPECT_EQ(d.drives[1].commandFaults[0].asc, 0x08);
    std::vector<std::string> names;
    for (const auto& n : d.dosNames) names.push_back(n.name);
    EXPECT_EQ(names, (std::vector<std::string>{"CdRom0", "PhysicalDrive2", "E:", "CdRom1",
                                               "PhysicalDrive0", "C:", "COM1"}));
    EXPECT_TRUE(d.aspi.present);
    ASSERT_EQ(d.adapters.size(), 1u);
    EXPECT_EQ(d.createEventFaults.size(), 1u);
}

TEST(Description, DocumentedExampleBuildsAMachine) {
    testsupport::TempDir dir;
    std::string error;
    auto m = machine::sim::SimMachine::FromText(DocumentedExample(), error, dir.path());
    ASSERT_NE(m, nullptr) << error;
    EXPECT_EQ(m->Drives().size(), 3u);
    EXPECT_EQ(dir.Read("cd.flash").size(), 0x40000u);
}

TEST(Description, EmptyTextIsAnNtMachineWithVirtualTime) {
    Description d;
    std::string error;
    ASSERT_TRUE(ParseDescription("# nothing\n\n", "", d, error)) << error;
    EXPECT_EQ(d.platformId, 2u);
    EXPECT_TRUE(d.virtualClock);
    EXPECT_TRUE(d.drives.empty());
    EXPECT_FALSE(d.aspi.present);
}

TEST(Description, QuotedValuesKeepBlanksAndComments) {
    Description d;
    std::string error;
    ASSERT_TRUE(ParseDescription("[drive a]\nvendor = \"  #; \\\" \"  # comment\nmodel = X;Y\n", "",
                                 d, error))
        << error;
    EXPECT_EQ(d.drives[0].vendor, "  #; \" ");
    EXPECT_EQ(d.drives[0].model, "X;Y");
}

TEST(Description, MistakesNameTheirLine) {
    struct Case {
        const char* text;
        const char* message;
    } cases[] = {
        {"[machine]\nplatfrom = 1\n", "line 2: unknown key 'platfrom' in [machine]"},
        {"platform = 1\n", "line 1: 'platform' comes before any section"},
        {"[machine\n", "line 1: a section header ends with ']'"},
        {"[printer]\n", "line 1: unknown section [printer]"},
        {"[drive]\n", "line 1: [drive] needs a name"},
        {"[drive a]\n[drive a]\n", "line 2: drive 'a' is described twice"},
        {"[machine]\nclock = fast\n", "line 2: clock: real or virtual"},
        {"[machine]\nplatform = two\n", "line 2: platform: 'two' is not a number"},
        {"[drive a]\nform = sata\n", "line 2: form: atapi or scsi"},
        {"[drive a]\ntype-code = ABC\n", "line 2: type-code: exactly six characters"},
        {"[drive a]\nmodel = 12345678901234567\n", "line 2: model: at most 16 characters"},
        {"[drive a]\ninquiry = 0 5\n", "line 2: inquiry: '0 5' is not hex bytes"},
        {"[drive a]\nnt = port x\n", "line 2: nt: 'x' is not a number"},
        {"[drive a]\nnt = slot 1\n", "line 2: nt: unknown part 'slot'"},
        {"[drive a]\nfault = command E2 sense 4/F5\nfault = command E2 explode\n",
         "line 3: fault: result is status, sense, hastat, ioctl or no-answer"},
        {"[drive a]\nfault = command E2 status 2 nth 0\n",
         "line 2: nth: '0' is not a count from 1"},
        {"[drive a]\nfault = phase melting\n", "line 2: fault: phase checking"},
        {"[drive a]\nvendor = \"open\n", "line 2: a quoted value is not closed"},
        {"[drive a]\nnames = CdRom0\n[drive b]\nnames = cdrom0\n",
         "line 4: MS-DOS name 'cdrom0' is given twice"},
        {"[letter E]\ndrive = nothere\n",
         "line 2: letter E names drive 'nothere', which is not described"},
        {"[drive a]\nnt = port 0 target 1\n[drive b]\nnt = port 0 target 1\n",
         "line 3: drives 'a' and 'b' have the same address"},
        {"[drive a]\ntype-code-offset = 0x20004\nflash-size = 0x20000\n",
         "line 1: drive 'a': its identification block does not fit its flash"},
        {"[aspi]\nentry-points = some\n", "line 2: entry-points"},
        {"[adapter 300]\n", "line 1: '300' is not a number 0 to 255"},
        {"[drive a]\nmodel\n", "line 2: expected 'key = value'"},
    };
    for (const Case& c : cases) {
        Description d;
        std::string error;
        EXPECT_FALSE(ParseDescription(c.text, "", d, error)) << c.text;
        EXPECT_NE(error.find(c.message), std::string::npos) << c.text << "\ngave: " << error;
    }
}

// However the text is cut short, reading it ends with a machine or a message.
TEST(Description, EveryTruncationOfTheExampleIsHandled) {
    std::string text = DocumentedExample();
    for (size_t n = 0; n <= text.size(); ++n) {
        Description d;
        std::string error;
        bool ok = ParseDescription(text.substr(0, n), "", d, error);
        EXPECT_TRUE(ok || !error.empty()) << n;
    }
}

TEST(Description, FromFileReportsAMissingFile) {
    std::string error;
    EXPECT_EQ(machine::sim::SimMachine::FromFile("/nonexistent/x.machine", error), nullptr);
    EXPECT_EQ(error, "cannot be read");
}

}  // namespace
