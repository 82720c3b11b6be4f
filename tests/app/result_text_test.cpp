// Which string the status line shows for the result of an update.
#include <gtest/gtest.h>

#include "app/updater_dlg.h"
#include "res/resource.h"

namespace {

TEST(ResultStringId, EveryResultHasItsText) {
    const struct {
        UpdateResult result;
        UINT string;
    } rows[] = {
        {0, 106},  {1, 107},  {2, 108},  {3, 109},  {4, 110},    {5, 111},  {6, 112},
        {7, 113},  {8, 114},  {9, 115},  {10, 116}, {11, 124},   {12, 125}, {13, 126},
        {14, 105}, {15, 117}, {16, 105}, {-1, 105}, {1000, 105},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(CUpdaterDlg::ResultStringId(row.result), row.string) << "result " << row.result;
    }
}

}  // namespace
