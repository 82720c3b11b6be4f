#include <gtest/gtest.h>

#include "params/parse_hex.h"

namespace {

TEST(ParseHex, ReadsDigitsUntilTheFirstOtherCharacter) {
    struct Case {
        const char* text;
        uint32_t value;
    };
    const Case cases[] = {
        {"4", 0x4},
        {"8004", 0x8004},
        {"8004h", 0x8004},
        {"8004H", 0x8004},
        {"20004", 0x20004},
        {"abcDEF", 0xABCDEF},
        {"0x8004", 0},  // stops at the x
        {"", 0},
        {" 4", 0},  // a leading blank stops it at once
        {"12 34", 0x12},
        {"FFFFFFFF", 0xFFFFFFFF},
        {"123456789", 0x23456789},  // nine digits: the last eight count
        {"G1", 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseHex(c.text), c.value) << '"' << c.text << '"';
    }
}

}  // namespace
