#include "test_dialog.h"

#include <iterator>

#include "res/resource.h"

namespace fwtest {
namespace {

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
using CC = res::ControlClass;

const res::DialogItemTemplate kItems[] = {
    {CC::Button, "OK", IDOK, 150, 5, 50, 14, kChild | BS_DEFPUSHBUTTON | WS_TABSTOP, 0},
    {CC::Button, "Cancel", IDCANCEL, 150, 22, 50, 14, kChild | BS_PUSHBUTTON | WS_TABSTOP, 0},
    {CC::ComboBox, nullptr, kSortedCombo, 5, 5, 100, 60,
     kChild | CBS_DROPDOWNLIST | CBS_SORT | WS_TABSTOP, 0},
    {CC::ComboBox, nullptr, kPlainCombo, 5, 20, 100, 60, kChild | CBS_DROPDOWNLIST | WS_TABSTOP, 0},
    {CC::ListBox, nullptr, kNotifyList, 5, 35, 60, 40, kChild | LBS_NOTIFY | WS_TABSTOP, 0},
    {CC::ListBox, nullptr, kQuietList, 70, 35, 60, 40, kChild | LBS_SORT | WS_TABSTOP, 0},
    {CC::Button, "&A", kRadioA, 5, 80, 30, 10, kChild | BS_AUTORADIOBUTTON | WS_GROUP, 0},
    {CC::Button, "&B", kRadioB, 40, 80, 30, 10, kChild | BS_AUTORADIOBUTTON, 0},
    {CC::Static, "between", -1, 70, 80, 20, 10, kChild, 0},
    {CC::Button, "&C", kRadioC, 95, 80, 30, 10, kChild | BS_AUTORADIOBUTTON, 0},
    {CC::Button, "Check", kCheck, 5, 95, 60, 10, kChild | BS_AUTOCHECKBOX | WS_GROUP, 0},
    {CC::Edit, nullptr, kEdit, 5, 110, 60, 12, kChild | WS_BORDER | WS_TABSTOP, 0},
    {CC::Static, "static", kStatic, 70, 110, 60, 8, kChild | SS_CENTER, 0},
    {CC::Progress, nullptr, kProgress, 5, 125, 100, 10, kChild | WS_BORDER, 0},
    {CC::Button, "Ask", kAsk, 150, 40, 50, 14, kChild | WS_TABSTOP, 0},
    {CC::Button, "Off", kDisabled, 150, 58, 50, 14, kChild | WS_TABSTOP | WS_DISABLED, 0},
    {CC::Static, nullptr, kIcon, 150, 80, 20, 20, kChild | SS_ICON, IDR_MAINFRAME},
};

}  // namespace

const res::DialogTemplate kTestTemplate = {9000,
                                           "Test dialog",
                                           "ＭＳ Ｐゴシック",
                                           9,
                                           210,
                                           140,
                                           DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU,
                                           0,
                                           kItems,
                                           std::size(kItems)};

// clang-format off
BEGIN_MESSAGE_MAP(TestDialog, CDialog)
    ON_CBN_SELCHANGE(kSortedCombo, OnSortedSelChange)
    ON_CBN_SELCHANGE(kPlainCombo, OnPlainSelChange)
    ON_LBN_SELCHANGE(kNotifyList, OnListSelChange)
    ON_LBN_DBLCLK(kNotifyList, OnListDblClk)
    ON_BN_CLICKED(kCheck, OnCheckClicked)
    ON_BN_CLICKED(kAsk, OnAsk)
    ON_WM_CLOSE()
    ON_WM_SYSCOMMAND()
    ON_MESSAGE(WM_TEST_EVENT, OnTestEvent)
END_MESSAGE_MAP()
// clang-format on

void TestDialog::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, kSortedCombo, m_sorted);
    DDX_Control(pDX, kNotifyList, m_list);
    DDX_Control(pDX, kProgress, m_progress);
    DDX_Radio(pDX, kRadioA, m_radio);
    DDX_Check(pDX, kCheck, m_check);
    DDX_Text(pDX, kEdit, m_text);
}

BOOL TestDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    log.push_back("init");
    if (onInit) onInit(*this);
    return TRUE;
}

void TestDialog::OnOK() {
    log.push_back("ok");
    CDialog::OnOK();
}

void TestDialog::OnAsk() {
    log.push_back("ask");
    if (onAsk) onAsk(*this);
}

void TestDialog::OnClose() {
    log.push_back("close");
    if (allowClose) CDialog::OnClose();
}

void TestDialog::OnSysCommand(UINT nID, LPARAM lParam) {
    if ((nID & 0xFFF0) == IDM_TEST_ITEM) {
        log.push_back("test item");
        return;
    }
    CDialog::OnSysCommand(nID, lParam);
}

LRESULT TestDialog::OnTestEvent(WPARAM wParam, LPARAM) {
    ++events;
    lastEvent = wParam;
    return 0;
}

}  // namespace fwtest
