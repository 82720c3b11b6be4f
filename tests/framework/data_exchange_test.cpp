// Dialog data exchange: members into controls at initialisation, controls into members on OK.
#include <gtest/gtest.h>

#include "test_dialog.h"

using afx::HeadlessUser;
using fwtest::TestDialog;

namespace {

TEST(DataExchange, MembersReachTheControlsAndComeBackOnOk) {
    struct Case {
        int radio;
        int check;
        const char* text;
        std::vector<int> radioChecks;  // A, B, C as shown
    };
    const Case cases[] = {
        {-1, 0, "", {0, 0, 0}},
        {0, 1, "NXB-", {1, 0, 0}},
        // The static between B and C does not count: position 2 is C.
        {2, 0, "multi\nline", {0, 0, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.radio);
        TestDialog dlg;
        HeadlessUser user;
        dlg.m_radio = c.radio;
        dlg.m_check = c.check;
        dlg.m_text = c.text;
        user.Start([&] { return dlg.DoModal(); });
        EXPECT_EQ(user.Check(fwtest::kRadioA), c.radioChecks[0]);
        EXPECT_EQ(user.Check(fwtest::kRadioB), c.radioChecks[1]);
        EXPECT_EQ(user.Check(fwtest::kRadioC), c.radioChecks[2]);
        EXPECT_EQ(user.Check(fwtest::kCheck), c.check);
        EXPECT_EQ(user.Text(fwtest::kEdit), c.text);
        // Nothing changed by the user: the same values come back.
        dlg.m_radio = 99;
        dlg.m_check = 99;
        dlg.m_text = "overwritten";
        user.Enter();
        EXPECT_EQ(user.Result(), IDOK);
        EXPECT_EQ(dlg.m_radio, c.radio);
        EXPECT_EQ(dlg.m_check, c.check);
        EXPECT_EQ(dlg.m_text, c.text);
    }
}

TEST(DataExchange, WhatTheUserEntersReachesTheMembers) {
    TestDialog dlg;
    HeadlessUser user;
    user.Start([&] { return dlg.DoModal(); });
    user.Click(fwtest::kRadioB);
    user.Click(fwtest::kRadioC);  // automatic radio buttons clear the rest of their group
    EXPECT_EQ(user.Check(fwtest::kRadioB), BST_UNCHECKED);
    user.Tick(fwtest::kCheck, true);
    EXPECT_EQ(dlg.log.back(), "check clicked");
    user.Type(fwtest::kEdit, "CD-R/RW KP");
    user.Click(IDOK);
    EXPECT_EQ(dlg.m_radio, 2);
    EXPECT_EQ(dlg.m_check, BST_CHECKED);
    EXPECT_EQ(dlg.m_text, "CD-R/RW KP");
}

TEST(DataExchange, CancelLeavesTheMembersAlone) {
    TestDialog dlg;
    HeadlessUser user;
    dlg.m_text = "kept";
    user.Start([&] { return dlg.DoModal(); });
    user.Type(fwtest::kEdit, "typed");
    user.Tick(fwtest::kCheck, true);
    user.Escape();
    EXPECT_EQ(user.Result(), IDCANCEL);
    EXPECT_EQ(dlg.m_text, "kept");
    EXPECT_EQ(dlg.m_check, 0);
}

TEST(DataExchange, ACheckValueOutOfRangeShowsUnchecked) {
    TestDialog dlg;
    HeadlessUser user;
    dlg.m_check = 7;
    user.Start([&] { return dlg.DoModal(); });
    EXPECT_EQ(user.Check(fwtest::kCheck), BST_UNCHECKED);
    user.Escape();
}

TEST(DataExchange, BoundMembersAndGetDlgItemReachTheSameControl) {
    TestDialog dlg;
    HeadlessUser user;
    user.Start([&] { return dlg.DoModal(); });
    EXPECT_EQ(dlg.GetDlgItem(fwtest::kSortedCombo), &dlg.m_sorted);
    CWnd* edit = dlg.GetDlgItem(fwtest::kEdit);  // no member: the dialog's own object
    ASSERT_NE(edit, nullptr);
    edit->SetWindowText("via item");
    EXPECT_EQ(user.Text(fwtest::kEdit), "via item");
    EXPECT_EQ(edit->GetDlgCtrlID(), fwtest::kEdit);
    EXPECT_EQ(edit->GetParent(), &dlg);
    EXPECT_EQ(dlg.GetDlgItem(4711), nullptr);
    user.Escape();
    // After the dialog has ended the members are unbound.
    EXPECT_EQ(dlg.m_sorted.GetSafeHwnd(), nullptr);
    EXPECT_EQ(dlg.m_sorted.GetCount(), CB_ERR);
}

}  // namespace
