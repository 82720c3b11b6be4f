#include "frontend/terminal/canvas.h"

#include <gtest/gtest.h>

#include "frontend/terminal/text_width.h"

namespace frontend {
namespace {

class CanvasTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(EnsureUtf8Locale()); }
};

TEST_F(CanvasTest, WideCharactersTakeTwoCellsAndShowOnce) {
    Canvas canvas(1, 8);
    EXPECT_EQ(canvas.Put(0, 1, "開始!"), 6);
    EXPECT_EQ(canvas.RowText(0), " 開始!  ");
    EXPECT_TRUE(canvas.at(0, 2).continuation);
    EXPECT_FALSE(canvas.at(0, 3).continuation);
}

TEST_F(CanvasTest, ClipEdgesBlankTheHalfOfACutWideCharacter) {
    struct Case {
        CellRect clip;
        int col;
        const char* row;
    } cases[] = {
        {{0, 0, 1, 4}, 0, "開始   "},   // fits exactly
        {{0, 0, 1, 3}, 0, "開     "},   // right edge cuts 始: its inside half is blank
        {{0, 1, 1, 6}, 0, "  始   "},   // left edge cuts 開
        {{0, 0, 1, 7}, 6, "       "},   // starts in the last column: nothing wide fits
        {{0, 0, 1, 7}, -1, " 始    "},  // starts left of the canvas
    };
    for (const auto& c : cases) {
        Canvas canvas(1, 7);
        canvas.Put(0, c.col, "開始", kAttrNormal, c.clip);
        EXPECT_EQ(canvas.RowText(0), c.row) << c.clip.col << "+" << c.clip.cols << " @" << c.col;
    }
}

TEST_F(CanvasTest, OverwritingHalfOfAWideCharacterBlanksTheOtherHalf) {
    Canvas canvas(1, 6);
    canvas.Put(0, 0, "開始");
    canvas.Put(0, 1, "x");  // right half of 開
    EXPECT_EQ(canvas.RowText(0), " x始  ");
    canvas.Put(0, 2, "y");  // left half of 始
    EXPECT_EQ(canvas.RowText(0), " xy   ");
    for (int c = 0; c < 6; ++c) {
        EXPECT_FALSE(canvas.at(0, c).continuation) << c;
    }
}

TEST_F(CanvasTest, RowsOutsideTheClipAndControlCharactersAreSafe) {
    Canvas canvas(2, 4);
    canvas.Put(5, 0, "far");
    canvas.Put(-1, 0, "far");
    canvas.Put(0, 0, "a\tb\x7f");
    EXPECT_EQ(canvas.RowText(0), "a?b?");
    EXPECT_EQ(canvas.RowText(1), "    ");
}

TEST_F(CanvasTest, FillAndAttributesStayInsideTheCanvas) {
    Canvas canvas(2, 3);
    canvas.Fill({-1, -1, 9, 9}, kAttrReverse);
    canvas.AddAttr({1, 2, 5, 5}, kAttrBold);
    EXPECT_EQ(canvas.at(0, 0).attr, kAttrReverse);
    EXPECT_EQ(canvas.at(1, 2).attr, kAttrReverse | kAttrBold);
    EXPECT_EQ(canvas.at(1, 1).attr, kAttrReverse);
}

}  // namespace
}  // namespace frontend
