// The two transports' raw results become one completion code.
#include <gtest/gtest.h>

#include "engine/scsi_device.h"

namespace {

struct MapCase {
    int raw;
    CompletionCode expected;
};

TEST(ResultMapTest, AspiResultsMapToCompletionCodes) {
    const MapCase cases[] = {
        {0, 0},    {16, 16},  {32, 16},  {48, 64},  {49, 16},  {50, 80},     {51, 96},
        {52, 112}, {53, 160}, {54, 128}, {55, 144}, {56, 96},  {57, 176},    {129, 48},
        {-1, 32},  {1, 32},   {58, 32},  {64, 32},  {128, 32}, {0x8010, 32},
    };
    for (const MapCase& c : cases) {
        EXPECT_EQ(CScsiDevice::MapAspiResult(c.raw), c.expected) << "ASPI result " << c.raw;
    }
}

TEST(ResultMapTest, PassThroughResultsMapToCompletionCodes) {
    const MapCase cases[] = {
        {0, 0},        {16, 16},      {32, 32},      {64, 64},      {0x8010, 80}, {0x8020, 96},
        {0x8030, 112}, {0x8040, 128}, {0x8050, 144}, {0x8070, 160}, {0x8060, 32}, {0x8080, 32},
        {48, 32},      {-1, 32},      {50, 32},      {129, 32},
    };
    for (const MapCase& c : cases) {
        EXPECT_EQ(CScsiDevice::MapPassThroughResult(c.raw), c.expected)
            << "pass-through result " << c.raw;
    }
}

}  // namespace
