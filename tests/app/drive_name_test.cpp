// How a drive is named in the drive list: the printable start of each inquiry field.
#include <gtest/gtest.h>

#include <cstring>

#include "app/updater_dlg.h"

namespace {

struct PrintableCase {
    const char* field;  // bytes, NULs included
    size_t length;
    int width;
    const char* expected;
};

TEST(AppendPrintable, KeepsThePrintableStartOfTheField) {
    const PrintableCase cases[] = {
        {"KP2140A ", 8, 8, "KP2140A "},     // trailing blanks stay
        {"        ", 8, 8, "        "},     // a blank field is eight blanks
        {"ABCDEFGHIJ", 10, 8, "ABCDEFGH"},  // never more than the width
        {"AB\0CD", 5, 5, "AB"},             // stops at a NUL
        {"AB\x1F"
         "CD",
         5, 5, "AB"},  // and at a control character
        {"AB\x7F"
         "CD",
         5, 5, "AB"},              // DEL is not printable
        {"A~ }", 4, 4, "A~ }"},    // 0x20 and 0x7E are
        {"\x81\x40XY", 4, 4, ""},  // nothing from a double-byte start
        {"\0ABC", 4, 4, ""},
    };
    for (const PrintableCase& c : cases) {
        CString text = "left over";
        const int length =
            CUpdaterDlg::AppendPrintable(reinterpret_cast<const uint8_t*>(c.field), c.width, text);
        EXPECT_EQ(text, c.expected) << "field of " << c.length << " bytes";
        EXPECT_EQ(length, static_cast<int>(std::strlen(c.expected)));
    }
}

DriveEntry EntryWithInquiry(const char* vendor, const char* product, const char* revision) {
    DriveEntry entry;
    std::memcpy(entry.inquiry + 8, vendor, 8);
    std::memcpy(entry.inquiry + 16, product, 16);
    std::memcpy(entry.inquiry + 32, revision, 4);
    return entry;
}

TEST(BuildDriveName, RunsVendorProductAndRevisionTogether) {
    const struct {
        const char* vendor;
        const char* product;
        const char* revision;
        const char* expected;
    } rows[] = {
        {"        ", "CD-R/RW KP2140A ", "1.00", "        CD-R/RW KP2140A 1.00"},
        {"ABCDE   ", "KP5470          ", "2.10", "ABCDE   KP5470          2.10"},
        {"ABCDE   ", "X\0ZZZZZZZZZZZZZ", "1.0\0", "ABCDE   X1.0"},
        {"\x01       ", "\x02...............", "\x03...", ""},
    };
    for (const auto& row : rows) {
        const DriveEntry entry = EntryWithInquiry(row.vendor, row.product, row.revision);
        CString name = "left over";
        const int length = CUpdaterDlg::BuildDriveName(entry, name);
        EXPECT_EQ(name, row.expected);
        EXPECT_EQ(length, static_cast<int>(name.size()));
    }
}

}  // namespace
