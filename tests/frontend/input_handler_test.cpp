#include "frontend/terminal/input_handler.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/afxwin.h"
#include "params/param_edit_dlg.h"
#include "res/resource.h"
#include "tests/frontend/scripted_user.h"

namespace frontend {
namespace {

using testing::ScriptedUser;

// A drop-down list of five names (closed it is one row, opened three) and a list box of
// twelve that shows four at a time.
const res::DialogItemTemplate kListItems[] = {
    {res::ControlClass::ComboBox, nullptr, 10, 10, 10, 100, 40,
     WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 0},
    {res::ControlClass::ListBox, nullptr, 11, 10, 30, 100, 48,
     WS_CHILD | WS_VISIBLE | LBS_NOTIFY | WS_VSCROLL | WS_BORDER | WS_TABSTOP, 0},
    {res::ControlClass::Button, "OK", IDOK, 150, 10, 40, 14,
     WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON | WS_TABSTOP, 0},
};
const res::DialogTemplate kListDialog = {9001,
                                         "Lists",
                                         "",
                                         9,
                                         200,
                                         100,
                                         WS_POPUP | WS_CAPTION | WS_SYSMENU,
                                         0,
                                         kListItems,
                                         sizeof kListItems / sizeof kListItems[0]};

class ListsDialog : public CDialog {
  public:
    ListsDialog() : CDialog(kListDialog) {}
    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        auto* combo = static_cast<CComboBox*>(GetDlgItem(10));
        for (const char* name : {"Alpha", "Bravo", "Charlie", "Delta", "Echo"}) {
            combo->AddString(name);
        }
        combo->SetCurSel(0);
        auto* list = static_cast<CListBox*>(GetDlgItem(11));
        for (int i = 0; i < 12; ++i) {
            list->AddString(("item " + std::to_string(10 + i)).c_str());
        }
        return TRUE;  // the focus goes to the first tab stop, the drop-down list
    }
};

class InputHandlerTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(EnsureUtf8Locale()); }

    // Records which control has the focus at this point of the script.
    void NoteFocus() {
        user.Then([this](afx::Window& top) {
            focus.push_back(top.focus != nullptr ? top.focus->id : 0);
        });
    }

    ScriptedUser user;
    std::vector<int> focus;
};

TEST_F(InputHandlerTest, TabFollowsTheTemplateOrderAndEntersRadioGroupsAtTheirCheckedButton) {
    CParamEditDlg dlg;
    dlg.m_productName = "NXB-A";
    dlg.m_interface = 1;  // ATAPI
    dlg.m_typeCodeCheck = 1;
    NoteFocus();
    for (int i = 0; i < 7; ++i) {
        user.Press(Action::Next);
        NoteFocus();
    }
    for (int i = 0; i < 2; ++i) {
        user.Press(Action::Prev);
        NoteFocus();
    }
    // With the type code unticked, its offset field is disabled and skipped.
    user.Press(Action::Mnemonic, U'T');
    user.Press(Action::Next);
    NoteFocus();
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_TRUE(user.Done());
    EXPECT_EQ(focus, (std::vector<int>{IDOK, IDCANCEL, IDC_PRODUCT_NAME, IDC_MODEL_NAME,
                                       IDC_TYPE_CODE_CHECK, IDC_OFFSET, IDC_ATAPI, IDOK, IDC_ATAPI,
                                       IDC_OFFSET, IDC_ATAPI}));
}

TEST_F(InputHandlerTest, TypingEditsTheFocusedFieldAtItsCaret) {
    CParamEditDlg dlg;
    dlg.m_productName = "NXB-A";
    dlg.m_interface = 1;
    user.Press(Action::Mnemonic, U'P');  // the product name, caret at the end
    user.Type("X");
    user.Press(Action::Left);
    user.Press(Action::Left);
    user.Press(Action::Backspace);  // the hyphen
    user.Type("Y");
    user.Press(Action::Home);
    user.Press(Action::Delete);
    user.Type("製品 ");  // wide characters and a blank go in like any other
    user.Press(Action::End);
    user.Press(Action::Left);  // over a whole character
    user.Press(Action::Backspace);
    user.Press(Action::Enter);
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_TRUE(user.Done());
    EXPECT_EQ(dlg.m_productName, "製品 XBYX");
}

TEST_F(InputHandlerTest, SpaceAndArrowsWorkCheckBoxesAndRadioGroups) {
    CParamEditDlg dlg;
    dlg.m_interface = 1;
    dlg.m_typeCodeCheck = 1;
    user.Press(Action::Mnemonic, U'I');  // the group box leads to its checked button
    NoteFocus();
    user.Press(Action::Left);  // SCSI
    user.Press(Action::Left);  // wraps round to ATAPI
    user.Press(Action::Up);    // SCSI again
    NoteFocus();
    user.Press(Action::Mnemonic, U'T');  // a check box's access key ticks it off
    NoteFocus();
    user.Press(Action::Space);  // and Space back on
    user.Press(Action::Space);  // and off again
    user.Press(Action::Enter);
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(focus, (std::vector<int>{IDC_ATAPI, IDC_SCSI, IDC_TYPE_CODE_CHECK}));
    EXPECT_EQ(dlg.m_interface, 0);
    EXPECT_EQ(dlg.m_typeCodeCheck, 0);
}

TEST_F(InputHandlerTest, EnterPressesTheFocusedButtonAndEscapeCancels) {
    struct Case {
        std::vector<Action> keys;
        int result;
    } cases[] = {
        {{Action::Enter}, IDOK},                    // the default button
        {{Action::Next, Action::Enter}, IDCANCEL},  // the focused Cancel button
        {{Action::Next, Action::Space}, IDCANCEL},
        {{Action::Cancel}, IDCANCEL},
        {{Action::Close}, IDCANCEL},  // Alt+F4: the window's close request
    };
    for (const auto& c : cases) {
        ScriptedUser scripted;
        for (Action key : c.keys) {
            scripted.Press(key);
        }
        CParamEditDlg dlg;
        EXPECT_EQ(dlg.DoModal(), c.result);
        EXPECT_TRUE(scripted.Done());
    }
}

TEST_F(InputHandlerTest, ArrowsAndLettersChooseInListsAndOpenedDropDowns) {
    ListsDialog dlg;
    std::vector<int> combo, list;
    const auto note = [&] {
        user.Then([&](afx::Window& top) {
            combo.push_back(top.Control(10)->curSel);
            list.push_back(top.Control(11)->curSel);
        });
    };
    NoteFocus();
    user.Press(Action::Down);  // closed: the arrows choose directly
    note();
    user.Press(Action::End);
    note();
    user.Type("c");  // the next item that starts with the letter
    note();
    user.Press(Action::OpenList);
    user.Press(Action::Down);
    user.Press(Action::Cancel);  // closes the list without choosing
    note();
    user.Press(Action::Space);  // opens it too
    user.Press(Action::Down);
    user.Press(Action::Enter);
    note();
    user.Press(Action::Next);  // on to the list box
    NoteFocus();
    user.Press(Action::Down);
    note();
    user.Press(Action::PageDown);  // four rows a page
    note();
    user.Press(Action::End);
    note();
    user.Then([&](afx::Window&) {
        // The last item is scrolled into view.
        bool shown = false;
        for (int r = 0; r < user.screen().rows(); ++r) {
            shown = shown || user.screen().RowText(r).find("item 21") != std::string::npos;
        }
        EXPECT_TRUE(shown);
    });
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_TRUE(user.Done());
    EXPECT_EQ(focus, (std::vector<int>{10, 11}));
    EXPECT_EQ(combo, (std::vector<int>{1, 4, 2, 2, 3, 3, 3, 3}));
    EXPECT_EQ(list, (std::vector<int>{-1, -1, -1, -1, -1, 0, 4, 11}));
}

TEST_F(InputHandlerTest, SystemMenuOpensChoosesAndCloses) {
    CParamEditDlg dlg;
    std::vector<Popup::Kind> popups;
    const auto notePopup = [&] {
        user.Then([&](afx::Window&) { popups.push_back(user.view().popup.kind); });
    };
    user.Press(Action::SystemMenu);
    notePopup();
    user.Press(Action::Cancel);  // closes the menu, not the dialog
    notePopup();
    user.Press(Action::SystemMenu);
    user.Press(Action::Down);  // over the separator to Close
    user.Press(Action::Enter);
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_TRUE(user.Done());
    EXPECT_EQ(popups, (std::vector<Popup::Kind>{Popup::Kind::SystemMenu, Popup::Kind::None}));
}

}  // namespace
}  // namespace frontend
