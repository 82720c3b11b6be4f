#include "frontend/terminal/mnemonic.h"

#include <gtest/gtest.h>

namespace frontend {
namespace {

TEST(MnemonicTest, LabelsShowWithoutMarkersAndNameTheirKey) {
    struct Case {
        const char* source;
        const char* text;
        char32_t key;
        size_t at;
    } cases[] = {
        {"追加(&A)", "追加(A)", U'A', 7},
        {"&SCSI", "SCSI", U'S', 0},
        {"ﾀｲﾌﾟｺｰﾄﾞの取得が可能(&t)", "ﾀｲﾌﾟｺｰﾄﾞの取得が可能(t)", U'T', 43},
        {"A && B", "A & B", 0, std::string::npos},
        {"閉じる", "閉じる", 0, std::string::npos},
        {"trailing&", "trailing&", 0, std::string::npos},
        {"&One &Two", "One Two", U'O', 0},  // the first marker counts
    };
    for (const auto& c : cases) {
        const Label label = ParseLabel(c.source);
        EXPECT_EQ(label.text, c.text) << c.source;
        EXPECT_EQ(label.mnemonic, c.key) << c.source;
        EXPECT_EQ(label.mnemonicAt, c.at) << c.source;
    }
}

}  // namespace
}  // namespace frontend
