#include "params/param_list_dlg.h"

#include <algorithm>
#include <iterator>

#include "app/about_dlg.h"
#include "app/format_text.h"
#include "app/main_window.h"
#include "params/param_edit_dlg.h"
#include "params/parse_hex.h"
#include "res/resource.h"

namespace {

// What the edit dialog offers for a new entry.
const char kNewProductName[] = "NXB-";
const char kNewModelName[] = "CD-R/RW KP";
constexpr uint32_t kNewTypeCodeOffset = 4;

constexpr int kInterfaceScsi = 0;
constexpr int kInterfaceAtapi = 1;

// Section names of the parameter file are found without regard to letter case, so two
// product names that differ only in case would end up as one section.
bool SameSectionName(const CString& a, const CString& b) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [&](char x, char y) { return lower(x) == lower(y); });
}

bool SameEntry(const DriveParam& a, const DriveParam& b) {
    return a.productName == b.productName && a.modelName == b.modelName &&
           a.typeCodeOffset == b.typeCodeOffset && a.atapi == b.atapi &&
           a.typeCodeEnable == b.typeCodeEnable;
}

}  // namespace

BEGIN_MESSAGE_MAP(CParamListDlg, CDialog)
ON_WM_SYSCOMMAND()
ON_WM_CLOSE()
ON_LBN_SELCHANGE(IDC_PARAM_LIST, OnSelChange)
ON_LBN_DBLCLK(IDC_PARAM_LIST, OnEdit)
ON_BN_CLICKED(IDC_PARAM_ADD, OnAdd)
ON_BN_CLICKED(IDC_PARAM_EDIT, OnEdit)
ON_BN_CLICKED(IDC_PARAM_DELETE, OnDelete)
END_MESSAGE_MAP()

CParamListDlg::CParamListDlg(const char* path, CWnd* pParent)
    : CDialog(IDD_PARAM_LIST, pParent), m_hIcon(AfxGetApp()->LoadIcon(IDR_MAINFRAME)) {
    if (path != nullptr) {
        m_file.SetPath(path);
    }
    m_file.Load(m_params);
    m_loaded = m_params;
}

CParamListDlg::~CParamListDlg() = default;

void CParamListDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_PARAM_LIST, m_list);
}

BOOL CParamListDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    AppendAboutMenuItem(*this);
    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);
    NormalizePlacement(*this);
    if (FillList() > 0) {
        m_list.SetCurSel(0);
    }
    UpdateDetails();
    return TRUE;
}

void CParamListDlg::OnSysCommand(UINT nID, LPARAM lParam) {
    if (IsAboutCommand(nID)) {
        CAboutDlg about;
        about.DoModal();
        return;
    }
    CDialog::OnSysCommand(nID, lParam);
}

int CParamListDlg::FillList() {
    m_list.ResetContent();
    int position = 0;
    for (const DriveParam& param : m_params) {
        const int item = m_list.AddString(param.productName.c_str());
        if (item >= 0) {
            m_list.SetItemData(item, static_cast<DWORD_PTR>(position));
        }
        ++position;
    }
    return m_list.GetCount();
}

int CParamListDlg::SelectedEntry() const {
    const int sel = m_list.GetCurSel();
    return sel < 0 ? -1 : static_cast<int>(m_list.GetItemData(sel));
}

bool CParamListDlg::IsValidEntry(int position) const {
    return position >= 0 && static_cast<size_t>(position) < m_params.size();
}

DriveParam& CParamListDlg::EntryAt(int position) { return *std::next(m_params.begin(), position); }

void CParamListDlg::OnSelChange() { UpdateDetails(); }

void CParamListDlg::UpdateDetails() {
    SetDlgItemText(IDC_PARAM_MODEL, "");
    SetDlgItemText(IDC_PARAM_INTERFACE, "");
    SetDlgItemText(IDC_PARAM_TYPE_CODE, "");
    const int position = SelectedEntry();
    const bool shown = IsValidEntry(position);
    if (shown) {
        const DriveParam& param = EntryAt(position);
        SetDlgItemText(IDC_PARAM_MODEL, param.modelName.c_str());
        SetDlgItemText(IDC_PARAM_INTERFACE, param.atapi == 1 ? "ATAPI" : "SCSI");
        const CString typeCode = param.typeCodeEnable == 1
                                     ? FormatText("Type Code Offset = %05lXH",
                                                  static_cast<unsigned long>(param.typeCodeOffset))
                                     : AfxLoadString(IDS_NO_TYPE_CODE);
        SetDlgItemText(IDC_PARAM_TYPE_CODE, typeCode.c_str());
    }
    GetDlgItem(IDC_PARAM_EDIT)->EnableWindow(shown);
    GetDlgItem(IDC_PARAM_DELETE)->EnableWindow(shown);
}

void CParamListDlg::OnAdd() { AddOrEdit(-1); }

void CParamListDlg::OnEdit() {
    const int position = SelectedEntry();
    if (IsValidEntry(position)) {
        AddOrEdit(position);
    }
}

void CParamListDlg::AddOrEdit(int position) {
    CParamEditDlg edit;
    edit.m_productName = kNewProductName;
    edit.m_modelName = kNewModelName;
    edit.m_interface = kInterfaceAtapi;
    edit.m_offset = FormatText("%lX", static_cast<unsigned long>(kNewTypeCodeOffset));
    edit.m_typeCodeCheck = BST_CHECKED;
    if (IsValidEntry(position)) {
        const DriveParam& param = EntryAt(position);
        edit.m_productName = param.productName;
        edit.m_modelName = param.modelName;
        edit.m_interface = param.atapi == 1 ? kInterfaceAtapi : kInterfaceScsi;
        edit.m_offset = FormatText("%lX", static_cast<unsigned long>(param.typeCodeOffset));
        edit.m_typeCodeCheck = param.typeCodeEnable == 1 ? BST_CHECKED : BST_UNCHECKED;
    }

    DriveParam values;
    for (;;) {
        if (edit.DoModal() != IDOK) {
            return;
        }
        values.productName = edit.m_productName;
        values.modelName = edit.m_modelName;
        values.typeCodeOffset = ParseHex(edit.m_offset);
        values.atapi = edit.m_interface == kInterfaceAtapi ? 1 : 0;
        values.typeCodeEnable = edit.m_typeCodeCheck == BST_CHECKED ? 1 : 0;
        if (!IsDuplicate(values.productName, position)) {
            break;
        }
        const CString question =
            FormatText(AfxLoadString(IDS_DUPLICATE_PRODUCT).c_str(), values.productName.c_str());
        if (AskUser(*this, question, MB_YESNO | MB_ICONWARNING) != IDYES) {
            return;
        }
    }

    if (IsValidEntry(position)) {
        EntryAt(position) = values;
        const int sel = m_list.GetCurSel();
        FillList();
        m_list.SetCurSel(sel);
    } else {
        m_params.push_back(values);
        const int added = static_cast<int>(m_params.size()) - 1;
        FillList();
        for (int item = 0; item < m_list.GetCount(); ++item) {
            if (static_cast<int>(m_list.GetItemData(item)) == added) {
                m_list.SetCurSel(item);
                break;
            }
        }
    }
    UpdateDetails();
}

bool CParamListDlg::IsDuplicate(const CString& productName, int position) const {
    const int count = m_list.GetCount();
    for (int item = 0; item < count; ++item) {
        if (static_cast<int>(m_list.GetItemData(item)) == position) {
            continue;
        }
        CString text;
        m_list.GetText(item, text);
        if (SameSectionName(text, productName)) {
            return true;
        }
    }
    return false;
}

void CParamListDlg::OnDelete() {
    const int position = SelectedEntry();
    if (!IsValidEntry(position)) {
        return;
    }
    const CString question = FormatText(AfxLoadString(IDS_CONFIRM_DELETE).c_str(),
                                        EntryAt(position).productName.c_str());
    if (AskUser(*this, question, MB_YESNO | MB_ICONQUESTION) != IDYES) {
        return;
    }
    int sel = m_list.GetCurSel();
    m_params.erase(std::next(m_params.begin(), position));
    const int count = FillList();
    if (sel >= count) {
        sel = count - 1;
    }
    m_list.SetCurSel(sel);
    UpdateDetails();
}

bool CParamListDlg::IsUnchanged() const {
    return std::equal(m_params.begin(), m_params.end(), m_loaded.begin(), m_loaded.end(),
                      SameEntry);
}

bool CParamListDlg::ConfirmClose() {
    if (IsUnchanged()) {
        return true;
    }
    switch (AskUser(*this, AfxLoadString(IDS_CONFIRM_SAVE), MB_YESNOCANCEL | MB_ICONQUESTION)) {
        case IDYES:
            if (!m_file.Save(m_params)) {
                // The file is left as it was; closing now would silently lose the changes.
                AskUser(
                    *this,
                    FormatText(AfxLoadString(IDS_SAVE_FAILED).c_str(), m_file.GetPath().c_str()),
                    MB_OK | MB_ICONEXCLAMATION);
                return false;
            }
            return true;
        case IDNO:
            return true;
        default:
            return false;
    }
}

void CParamListDlg::OnClose() {
    if (ConfirmClose()) {
        CDialog::OnClose();
    }
}

void CParamListDlg::OnOK() {
    if (ConfirmClose()) {
        CDialog::OnOK();
    }
}
