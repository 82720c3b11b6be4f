// Drop-down lists and list boxes: sorting, item data, selections that the program makes and
// selections that the user makes.
#include <gtest/gtest.h>

#include "test_dialog.h"

using afx::HeadlessUser;
using fwtest::TestDialog;

namespace {

TEST(ListControls, SortedListsKeepByteWiseOrderAndAddStringTellsWhereTheItemLanded) {
    struct Add {
        const char* text;
        int landed;
    };
    // Byte-wise: digits before capitals before small letters before UTF-8 lead bytes, and
    // "HA:10" before "HA:2".
    const Add adds[] = {{"HA:2 b", 0},   {"HA:10 a", 0}, {"apple", 2}, {"Zebra", 2},
                        {"ドライブ", 4}, {"HA:2 b", 2},  {"", 0}};
    TestDialog dlg;
    HeadlessUser user;
    dlg.onInit = [&](TestDialog& d) {
        for (size_t i = 0; i < std::size(adds); ++i) {
            int at = d.m_sorted.AddString(adds[i].text);
            EXPECT_EQ(at, adds[i].landed) << adds[i].text;
            d.m_sorted.SetItemData(at, i);
        }
    };
    user.Start([&] { return dlg.DoModal(); });
    EXPECT_EQ(
        user.ItemTexts(fwtest::kSortedCombo),
        (std::vector<CString>{"", "HA:10 a", "HA:2 b", "HA:2 b", "Zebra", "apple", "ドライブ"}));
    // Item data travels with its item; an equal text lands after the earlier one.
    std::vector<DWORD_PTR> data;
    for (const afx::ListItem& item : user.Items(fwtest::kSortedCombo)) data.push_back(item.data);
    EXPECT_EQ(data, (std::vector<DWORD_PTR>{6, 1, 0, 5, 3, 2, 4}));
    user.Escape();
}

TEST(ListControls, UnsortedListsKeepTheOrderOfAdding) {
    TestDialog dlg;
    HeadlessUser user;
    dlg.onInit = [](TestDialog& d) {
        for (const char* text : {"zz", "aa", "mm"}) d.m_list.AddString(text);
    };
    user.Start([&] { return dlg.DoModal(); });
    EXPECT_EQ(user.ItemTexts(fwtest::kNotifyList), (std::vector<CString>{"zz", "aa", "mm"}));
    user.Escape();
}

TEST(ListControls, ItemsAndSelectionOfAListObject) {
    TestDialog dlg;
    HeadlessUser user;
    user.Start([&] { return dlg.DoModal(); });
    CListBox& list = dlg.m_list;
    EXPECT_EQ(list.GetCount(), 0);
    EXPECT_EQ(list.GetCurSel(), LB_ERR);
    EXPECT_EQ(list.SetCurSel(0), LB_ERR);  // nothing to select
    EXPECT_EQ(list.GetItemData(0), static_cast<DWORD_PTR>(LB_ERR));
    EXPECT_EQ(list.SetItemData(0, 5), LB_ERR);

    for (const char* text : {"a", "b", "c", "d"}) list.AddString(text);
    EXPECT_EQ(list.SetCurSel(2), 2);
    CString text;
    EXPECT_EQ(list.GetText(2, text), 1);
    EXPECT_EQ(text, "c");
    EXPECT_EQ(list.GetText(9, text), LB_ERR);
    EXPECT_EQ(text, "");

    // The selected item stays selected while others come and go.
    EXPECT_EQ(list.InsertString(0, "first"), 0);
    EXPECT_EQ(list.GetCurSel(), 3);
    EXPECT_EQ(list.DeleteString(1), 4);
    EXPECT_EQ(list.GetCurSel(), 2);
    EXPECT_EQ(list.DeleteString(2), 3);  // the selected one goes: nothing is selected
    EXPECT_EQ(list.GetCurSel(), LB_ERR);
    EXPECT_EQ(list.DeleteString(7), LB_ERR);

    list.SetCurSel(1);
    EXPECT_EQ(list.SetCurSel(-1), LB_ERR);  // -1 clears
    EXPECT_EQ(list.GetCurSel(), LB_ERR);
    list.SetCurSel(1);
    list.ResetContent();
    EXPECT_EQ(list.GetCount(), 0);
    EXPECT_EQ(list.GetCurSel(), LB_ERR);
    user.Escape();
}

TEST(ListControls, TheProgramsOwnSelectionSendsNoNotification) {
    TestDialog dlg;
    HeadlessUser user;
    dlg.onInit = [](TestDialog& d) {
        d.m_sorted.AddString("one");
        d.m_sorted.AddString("two");
        d.m_sorted.SetCurSel(1);
        d.m_list.AddString("x");
        d.m_list.SetCurSel(0);
    };
    user.Start([&] { return dlg.DoModal(); });
    EXPECT_EQ(user.Selection(fwtest::kSortedCombo), 1);
    EXPECT_EQ(user.Selection(fwtest::kNotifyList), 0);
    EXPECT_EQ(dlg.log, (std::vector<std::string>{"init"}));

    user.Select(fwtest::kSortedCombo, "one");
    EXPECT_EQ(dlg.m_sorted.GetCurSel(), 0);
    EXPECT_EQ(dlg.log.back(), "sorted selchange");
    user.Escape();
}

TEST(ListControls, TheUsersChoiceNotifiesAsTheListsStyleSays) {
    TestDialog dlg;
    HeadlessUser user;
    dlg.onInit = [](TestDialog& d) {
        for (int id : {fwtest::kPlainCombo, fwtest::kNotifyList, fwtest::kQuietList}) {
            CWnd* list = d.GetDlgItem(id);
            if (id == fwtest::kPlainCombo) {
                static_cast<CComboBox*>(list)->AddString("a");
            } else {
                static_cast<CListBox*>(list)->AddString("a");
                static_cast<CListBox*>(list)->AddString("b");
            }
        }
    };
    user.Start([&] { return dlg.DoModal(); });
    user.Select(fwtest::kPlainCombo, 0);
    user.Select(fwtest::kNotifyList, 1);
    user.Select(fwtest::kQuietList, 1);  // no LBS_NOTIFY: the dialog hears nothing
    EXPECT_EQ(dlg.log, (std::vector<std::string>{"init", "plain selchange", "list selchange"}));
    EXPECT_EQ(user.SelectedText(fwtest::kQuietList), "b");
    EXPECT_THROW(user.Select(fwtest::kPlainCombo, 1), afx::HeadlessError);  // no such item
    EXPECT_THROW(user.Select(fwtest::kPlainCombo, "zz"), afx::HeadlessError);
    user.Escape();
}

TEST(ListControls, DoubleClickSelectsAndNotifiesButTheEmptyAreaDoesNothing) {
    TestDialog dlg;
    HeadlessUser user;
    dlg.onInit = [](TestDialog& d) {
        d.m_list.AddString("a");
        d.m_list.AddString("b");
        d.m_list.SetCurSel(0);
    };
    user.Start([&] { return dlg.DoModal(); });
    user.DoubleClick(fwtest::kNotifyList, -1);
    EXPECT_EQ(dlg.log, (std::vector<std::string>{"init"}));
    EXPECT_EQ(user.Selection(fwtest::kNotifyList), 0);

    user.DoubleClick(fwtest::kNotifyList, 1);
    EXPECT_EQ(dlg.log, (std::vector<std::string>{"init", "list selchange", "list dblclk"}));
    user.DoubleClick(fwtest::kNotifyList, 1);  // already selected: only the double click
    EXPECT_EQ(dlg.log.back(), "list dblclk");
    EXPECT_EQ(dlg.log.size(), 4u);
    user.Escape();
}

TEST(ListControls, ProgressPositionStaysWithinItsRange) {
    TestDialog dlg;
    HeadlessUser user;
    user.Start([&] { return dlg.DoModal(); });
    CProgressCtrl& bar = dlg.m_progress;
    EXPECT_EQ(user.Progress(fwtest::kProgress).upper, 100);  // the control's default range
    bar.SetRange32(0, 1000);
    EXPECT_EQ(bar.SetPos(490), 0);
    EXPECT_EQ(bar.GetPos(), 490);
    EXPECT_EQ(bar.SetPos(1010), 490);
    EXPECT_EQ(bar.GetPos(), 1000);
    bar.SetPos(-5);
    EXPECT_EQ(bar.GetPos(), 0);
    bar.SetRange(0, 100);  // narrowing the range moves the position into it
    bar.SetPos(50);
    bar.SetRange32(0, 20);
    int low = -1, high = -1;
    bar.GetRange(low, high);
    EXPECT_EQ(low, 0);
    EXPECT_EQ(high, 20);
    afx::ProgressState shown = user.Progress(fwtest::kProgress);
    EXPECT_EQ(shown.pos, 20);
    EXPECT_EQ(shown.upper, 20);
    user.Escape();
}

}  // namespace
