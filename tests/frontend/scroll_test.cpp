#include "frontend/terminal/scroll.h"

#include <gtest/gtest.h>

#include "frontend/terminal/text_width.h"

namespace frontend {
namespace {

TEST(ScrollTest, ListsMoveJustEnoughToShowTheItem) {
    struct Case {
        int top, index, visible, count;
        int expected;
    } cases[] = {
        {0, 2, 4, 10, 0},   // already visible
        {0, 7, 4, 10, 4},   // below: the item becomes the last row
        {6, 2, 4, 10, 2},   // above: the item becomes the first row
        {8, -1, 4, 10, 6},  // no item: only kept inside the list
        {3, 1, 4, 2, 0},    // fewer items than rows
        {0, 0, 0, 5, 0},    // no room at all still counts as one row
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ScrollToShow(c.top, c.index, c.visible, c.count), c.expected)
            << c.top << " " << c.index;
    }
}

TEST(ScrollTest, ThumbShowsTheVisiblePart) {
    struct Case {
        int count, visible, top, track;
        Thumb thumb;
    } cases[] = {
        {3, 4, 0, 10, {0, 10}},  // everything visible: a full thumb
        {20, 5, 0, 10, {0, 2}}, {20, 5, 15, 10, {8, 2}},
        {20, 5, 7, 10, {4, 2}}, {1000, 5, 500, 10, {5, 1}},  // never thinner than a cell
        {20, 5, 0, 0, {0, 0}},
    };
    for (const auto& c : cases) {
        const Thumb t = ScrollThumb(c.count, c.visible, c.top, c.track);
        EXPECT_EQ(t.start, c.thumb.start) << c.count << "/" << c.top;
        EXPECT_EQ(t.length, c.thumb.length) << c.count << "/" << c.top;
    }
}

TEST(ScrollTest, EditFieldsKeepTheCaretInViewAndNoBlankTail) {
    ASSERT_TRUE(EnsureUtf8Locale());
    const std::string text = "0123456789";
    struct Case {
        size_t caret;
        int scroll, width;
        int expected;
    } cases[] = {
        {10, 0, 5, 6},  // caret after the end needs its own column
        {2, 6, 5, 2},   // caret left of the view
        {4, 3, 5, 3},   // visible: no move
        {0, 8, 20, 0},  // the whole text fits
        {9, 7, 5, 6},   // text would end before the field: scroll back
    };
    for (const auto& c : cases) {
        EXPECT_EQ(EditScrollToShow(text, c.caret, c.scroll, c.width), c.expected) << c.caret;
    }
    // A wide character under the caret needs both its columns in view.
    EXPECT_EQ(EditScrollToShow("ab製品", 2, 0, 3), 1);
}

TEST(ScrollTest, CaretStepsOverWholeCharacters) {
    ASSERT_TRUE(EnsureUtf8Locale());
    const std::string text = "a製e\u0301b";  // a, 製 (3 bytes), e with a combining acute, b
    EXPECT_EQ(NextCharOffset(text, 0), 1u);
    EXPECT_EQ(NextCharOffset(text, 1), 4u);
    EXPECT_EQ(NextCharOffset(text, 4), 7u);  // e and its mark together
    EXPECT_EQ(NextCharOffset(text, 8), 8u);
    EXPECT_EQ(PrevCharOffset(text, 8), 7u);
    EXPECT_EQ(PrevCharOffset(text, 7), 4u);
    EXPECT_EQ(PrevCharOffset(text, 4), 1u);
    EXPECT_EQ(PrevCharOffset(text, 0), 0u);
}

}  // namespace
}  // namespace frontend
