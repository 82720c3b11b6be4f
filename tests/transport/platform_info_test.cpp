// The platform probe: the raw id for the main dialog, the normalised id for everyone else.
#include "transport/platform_info.h"

#include <gtest/gtest.h>

#include "tests/support/sim_fixture.h"

namespace {

TEST(PlatformInfo, RawAndNormalisedIdsForEveryKindOfAnswer) {
    constexpr int kPreset = -7;  // what the caller had before asking
    struct Case {
        const char* platform;  // as the machine reports it
        BOOL queried;
        int raw;
        int normalised;
    };
    const Case cases[] = {
        {"1", TRUE, 1, 1},
        {"2", TRUE, 2, 2},
        {"3", TRUE, 3, 0},
        {"0", TRUE, 0, 0},
        {"0x10002", TRUE, 0x10002, 0},
        {"fail", FALSE, kPreset, 0},
    };
    for (const Case& c : cases) {
        testsupport::SimMachineScope sim(std::string("[machine]\nplatform = ") + c.platform);
        int raw = kPreset;
        EXPECT_EQ(GetPlatformId(&raw), c.queried) << c.platform;
        EXPECT_EQ(raw, c.raw) << c.platform;

        int normalised = kPreset;
        CPlatformInfo probe(&normalised);
        EXPECT_EQ(normalised, c.normalised) << c.platform;
    }
}

TEST(PlatformInfo, OutputsAreOptional) {
    testsupport::SimMachineScope sim("[machine]\nplatform = 2");
    EXPECT_EQ(GetPlatformId(), TRUE);
    CPlatformInfo probe;
}

}  // namespace
