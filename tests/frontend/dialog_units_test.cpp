#include "frontend/terminal/dialog_units.h"

#include <gtest/gtest.h>

namespace frontend {
namespace {

TEST(DialogUnitsTest, ControlsOfTheUpdateDialogKeepTheirPlaces) {
    struct Case {
        const char* what;
        int x, y, cx, cy;
        CellRect cells;
    } cases[] = {
        {"drive group", 7, 3, 213, 35, {0, 2, 5, 53}},
        {"drive list", 13, 19, 202, 95, {2, 3, 12, 51}},
        {"status group", 6, 90, 164, 58, {11, 2, 8, 41}},
        {"status line", 11, 104, 154, 10, {13, 3, 1, 38}},
        {"progress bar", 11, 124, 154, 13, {16, 3, 1, 38}},
        {"start button", 177, 95, 44, 26, {12, 44, 3, 11}},
        {"close button", 177, 129, 44, 17, {16, 44, 2, 11}},
        {"tiny", 0, 0, 1, 1, {0, 0, 1, 1}},  // never smaller than a cell
    };
    for (const auto& c : cases) {
        EXPECT_EQ(MapDialogRect(c.x, c.y, c.cx, c.cy), c.cells) << c.what;
    }
}

TEST(DialogUnitsTest, ClientDropsATrailingPartCell) {
    EXPECT_EQ(MapClientSize(229, 157), (CellRect{0, 0, 19, 57}));
    EXPECT_EQ(MapClientSize(187, 183), (CellRect{0, 0, 22, 46}));  // editor fits 24 rows
    EXPECT_EQ(MapClientSize(0, 0), (CellRect{0, 0, 1, 1}));
}

TEST(DialogUnitsTest, FrameIsCentredWhenItFitsAndPinnedWhenItDoesNot) {
    const CellRect client{0, 0, 19, 57};
    EXPECT_EQ(PlaceFrame(client, 24, 80), (CellRect{1, 10, 21, 59}));
    EXPECT_EQ(PlaceFrame(client, 10, 30), (CellRect{0, 0, 21, 59}));
    EXPECT_EQ(ClientOf(CellRect{1, 10, 21, 59}), (CellRect{2, 11, 19, 57}));
}

}  // namespace
}  // namespace frontend
