#include "params/param_edit_dlg.h"

#include "res/resource.h"

BEGIN_MESSAGE_MAP(CParamEditDlg, CDialog)
ON_BN_CLICKED(IDC_TYPE_CODE_CHECK, UpdateOffsetState)
END_MESSAGE_MAP()

CParamEditDlg::CParamEditDlg(CWnd* pParent)
    : CDialog(IDD_PARAM_EDIT, pParent), m_interface(-1), m_typeCodeCheck(0) {}

CParamEditDlg::~CParamEditDlg() = default;

void CParamEditDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_PRODUCT_NAME, m_productName);
    DDX_Text(pDX, IDC_MODEL_NAME, m_modelName);
    DDX_Radio(pDX, IDC_SCSI, m_interface);
    DDX_Text(pDX, IDC_OFFSET, m_offset);
    DDX_Check(pDX, IDC_TYPE_CODE_CHECK, m_typeCodeCheck);
}

BOOL CParamEditDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    UpdateOffsetState();
    return TRUE;
}

void CParamEditDlg::UpdateOffsetState() {
    UpdateData(TRUE);
    const BOOL enable = m_typeCodeCheck == BST_CHECKED;
    GetDlgItem(IDC_OFFSET_LABEL)->EnableWindow(enable);
    GetDlgItem(IDC_OFFSET)->EnableWindow(enable);
}
