#include "frontend/terminal/text_width.h"

#include <gtest/gtest.h>

namespace frontend {
namespace {

class TextWidthTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(EnsureUtf8Locale()); }
};

TEST_F(TextWidthTest, ColumnsOfTheProgramsKindsOfText) {
    struct Case {
        const char* text;
        int columns;
    } cases[] = {
        {"", 0},
        {"Ready.", 6},
        {"開始", 4},                        // wide kanji
        {"ｷｬﾝｾﾙ", 5},                       // half-width katakana
        {"ﾊﾞｰｼﾞｮﾝ情報", 11},                // half-width voiced marks are characters of their own
        {"HA:0 SCSI-ID:01\u3000NXB-", 21},  // full-width blank takes two
        {"データを転送しています・・・", 28},  // katakana middle dots are wide
        {"e\u0301", 1},                        // a combining mark adds nothing
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TextWidth(c.text), c.columns) << c.text;
    }
}

TEST_F(TextWidthTest, MalformedBytesAreOneColumnEachAndNeverSwallowText) {
    // A lone Shift-JIS byte pair, a truncated sequence, an overlong slash, a surrogate.
    const struct {
        std::string text;
        int columns;
    } cases[] = {
        {"\x81\x40"
         "A",
         3},
        {"\xE3\x81", 2},
        {"\xC0\xAF", 2},
        {"\xED\xA0\x80", 3},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TextWidth(c.text), c.columns);
        EXPECT_EQ(DecodeGlyph(c.text, 0).code, U'\uFFFD');
    }
}

TEST_F(TextWidthTest, ClippingNeverSplitsAWideCharacter) {
    const std::string text = "a開始b";
    EXPECT_EQ(ClipToWidth(text, 0), "");
    EXPECT_EQ(ClipToWidth(text, 1), "a");
    EXPECT_EQ(ClipToWidth(text, 2), "a");  // half of 開 would not fit
    EXPECT_EQ(ClipToWidth(text, 3), "a開");
    EXPECT_EQ(ClipToWidth(text, 6), "a開始b");
    EXPECT_EQ(ClipToWidth(text, 60), text);
}

TEST_F(TextWidthTest, OffsetAtColumnReportsTheCoveringCharacter) {
    const std::string text = "a開b";  // columns: a=0, 開=1-2, b=3
    int lead = -1;
    EXPECT_EQ(OffsetAtColumn(text, 0, &lead), 0u);
    EXPECT_EQ(lead, 0);
    EXPECT_EQ(OffsetAtColumn(text, 1, &lead), 1u);
    EXPECT_EQ(lead, 0);
    EXPECT_EQ(OffsetAtColumn(text, 2, &lead), 1u);  // right half of 開
    EXPECT_EQ(lead, 1);
    EXPECT_EQ(OffsetAtColumn(text, 3, &lead), 4u);
    EXPECT_EQ(OffsetAtColumn(text, 9, &lead), text.size());
    EXPECT_EQ(ColumnOfOffset(text, 4), 3);
    EXPECT_EQ(ColumnOfOffset(text, 99), 4);
}

}  // namespace
}  // namespace frontend
