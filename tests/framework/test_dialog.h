// A small dialog with one control of every kind, whose handlers write what happened into a
// log, for the class library's tests.
#pragma once

#include <string>
#include <vector>

#include "framework/afxwin.h"
#include "framework/headless.h"

namespace fwtest {

enum : int {
    kSortedCombo = 10,
    kPlainCombo = 11,
    kNotifyList = 12,
    kQuietList = 13,
    kRadioA = 20,
    kRadioB = 21,
    kRadioC = 22,
    kCheck = 23,
    kEdit = 24,
    kStatic = 25,
    kProgress = 26,
    kAsk = 27,
    kDisabled = 28,
    kIcon = 29,
};

constexpr UINT WM_TEST_EVENT = WM_USER + 100;
constexpr UINT IDM_TEST_ITEM = 0x0010;

extern const res::DialogTemplate kTestTemplate;

class TestDialog : public CDialog {
  public:
    explicit TestDialog(CWnd* parent = nullptr) : CDialog(kTestTemplate, parent) {}

    std::vector<std::string> log;
    // What OnInitDialog does after the base initialisation, if anything.
    std::function<void(TestDialog&)> onInit;
    // What a click on kAsk does.
    std::function<void(TestDialog&)> onAsk;
    bool allowClose = true;
    int events = 0;
    WPARAM lastEvent = 0;

    // Exchanged by DoDataExchange.
    CComboBox m_sorted;
    CListBox m_list;
    CProgressCtrl m_progress;
    int m_radio = -1;
    int m_check = 0;
    CString m_text;

  protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;

    afx_msg void OnSortedSelChange() { log.push_back("sorted selchange"); }
    afx_msg void OnPlainSelChange() { log.push_back("plain selchange"); }
    afx_msg void OnListSelChange() { log.push_back("list selchange"); }
    afx_msg void OnListDblClk() { log.push_back("list dblclk"); }
    afx_msg void OnCheckClicked() { log.push_back("check clicked"); }
    afx_msg void OnAsk();
    afx_msg void OnClose();
    afx_msg void OnSysCommand(UINT nID, LPARAM lParam);
    afx_msg LRESULT OnTestEvent(WPARAM wParam, LPARAM lParam);

    DECLARE_MESSAGE_MAP()
};

}  // namespace fwtest
