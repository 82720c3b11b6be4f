#include "app/updater_dlg.h"

#include <iterator>
#include <new>

#include "app/about_dlg.h"
#include "app/format_text.h"
#include "app/main_window.h"
#include "catalog/image_file.h"
#include "engine/drive_controller.h"
#include "engine/update_event.h"
#include "engine/update_job.h"
#include "params/param_file.h"
#include "res/resource.h"
#include "transport/platform_info.h"

namespace {

const char kAspiModuleName[] = "WNASPI32.DLL";

}  // namespace

BEGIN_MESSAGE_MAP(CUpdaterDlg, CDialog)
ON_WM_SYSCOMMAND()
ON_WM_PAINT()
ON_WM_QUERYDRAGICON()
ON_CBN_SELCHANGE(IDC_DRIVE_LIST, OnDriveSelChange)
ON_CBN_SELCHANGE(IDC_IMAGE_LIST, OnImageSelChange)
ON_BN_CLICKED(IDC_START, OnStart)
ON_WM_CLOSE()
ON_MESSAGE(WM_UPDATE_EVENT, OnUpdateEvent)
END_MESSAGE_MAP()

CUpdaterDlg::CUpdaterDlg(CWnd* pParent)
    : CDialog(IDD_CDRWUPDATE_DIALOG, pParent),
      m_hIcon(AfxGetApp()->LoadIcon(IDR_MAINFRAME)),
      m_busy(0),
      m_worker(nullptr),
      m_controller(nullptr),
      m_platformId(0),
      m_aspiLibrary(nullptr) {
    int platform = 0;
    if (GetPlatformId(&platform)) {
        m_platformId = platform;
    }
    if (m_platformId == kPlatformWindows) {
        m_aspiLibrary = LoadLibraryA(kAspiModuleName);
    }
    {
        CParamFile file;
        file.Load(m_params);
    }
    m_controller = new (std::nothrow) CDriveController(m_platformId, m_aspiLibrary, &m_params);
}

CUpdaterDlg::~CUpdaterDlg() {
    JoinWorker();
    delete m_controller;
    m_controller = nullptr;
    if (m_aspiLibrary != nullptr) {
        FreeLibrary(m_aspiLibrary);
    }
}

void CUpdaterDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_PROGRESS, m_progress);
    DDX_Control(pDX, IDC_STATUS, m_status);
    DDX_Control(pDX, IDC_DRIVE_LIST, m_driveList);
    DDX_Control(pDX, IDC_IMAGE_LIST, m_imageList);
}

BOOL CUpdaterDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    AppendAboutMenuItem(*this);
    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);
    if (m_controller == nullptr) {
        FailStartup(IDS_NO_MEMORY);
        return TRUE;
    }
    NormalizePlacement(*this);

    g_updateJob.controller = m_controller;
    g_updateJob.notifyWnd = this;
    g_updateJob.message = WM_UPDATE_EVENT;

    ResetProgress();
    SetStatus(IDS_STATUS_READY);
    FillImageList();
    if (FillDriveList() > 0) {
        m_driveList.SetCurSel(0);
        OnDriveSelChange();
        return TRUE;
    }
    FailStartup(IDS_NO_DEVICE);
    return TRUE;
}

void CUpdaterDlg::FailStartup(UINT nID) {
    AfxMessageBox(nID, MB_OK);
    EndDialog(IDCANCEL);
}

int CUpdaterDlg::FillImageList() {
    m_imageList.ResetContent();
    {
        CImageFile catalogue;
        catalogue.Scan(m_images);
    }
    int index = 0;
    for (const ImageEntry& image : m_images) {
        const CString text = FormatText("%s (%s%s)", image.fileName.c_str(), image.product.c_str(),
                                        image.revision.c_str());
        const int item = m_imageList.AddString(text.c_str());
        if (item >= 0) {
            m_imageList.SetItemData(item, static_cast<DWORD_PTR>(index));
        }
        ++index;
    }
    return m_imageList.GetCount();
}

int CUpdaterDlg::FillDriveList() {
    m_driveList.ResetContent();
    if (m_controller->DiscoverDrives() > 0) {
        int index = 0;
        for (const DriveEntry& drive : m_controller->m_drives) {
            CString name;
            BuildDriveName(drive, name);
            // The blank before the name is the full-width one (U+3000).
            const CString text = FormatText("HA:%d SCSI-ID:%02d　%s", drive.hostAdapter,
                                            drive.targetId, name.c_str());
            const int item = m_driveList.AddString(text.c_str());
            if (item >= 0) {
                m_driveList.SetItemData(item, static_cast<DWORD_PTR>(index));
            }
            ++index;
        }
    }
    return m_driveList.GetCount();
}

int CUpdaterDlg::BuildDriveName(const DriveEntry& entry, CString& name) {
    name.clear();
    CString field;
    AppendPrintable(entry.inquiry + 8, 8, field);
    name += field;
    AppendPrintable(entry.inquiry + 16, 16, field);
    name += field;
    AppendPrintable(entry.inquiry + 32, 4, field);
    name += field;
    return static_cast<int>(name.size());
}

int CUpdaterDlg::AppendPrintable(const uint8_t* field, int width, CString& text) {
    text.clear();
    for (int i = 0; i < width && field[i] >= 0x20 && field[i] <= 0x7E; ++i) {
        text += static_cast<char>(field[i]);
    }
    return static_cast<int>(text.size());
}

const DriveEntry* CUpdaterDlg::DriveAt(DWORD_PTR itemData) const {
    if (m_controller == nullptr || itemData >= m_controller->m_drives.size()) {
        return nullptr;
    }
    return &*std::next(m_controller->m_drives.begin(), static_cast<long>(itemData));
}

const ImageEntry* CUpdaterDlg::ImageAt(DWORD_PTR itemData) const {
    if (itemData >= m_images.size()) {
        return nullptr;
    }
    return &*std::next(m_images.begin(), static_cast<long>(itemData));
}

void CUpdaterDlg::OnDriveSelChange() {
    const int sel = m_driveList.GetCurSel();
    if (sel >= 0) {
        if (const DriveEntry* drive = DriveAt(m_driveList.GetItemData(sel))) {
            m_imageList.SetCurSel(PickImageForDrive(*drive));
        }
    }
    RefreshStartState();
}

int CUpdaterDlg::PickImageForDrive(const DriveEntry& drive) {
    const CString vendor(reinterpret_cast<const char*>(drive.inquiry + 8), 8);
    const CString product(reinterpret_cast<const char*>(drive.inquiry + 16), 16);
    FILETIME best = {0, 0};
    int result = -1;
    const int count = m_imageList.GetCount();
    for (int p = 0; p < count; ++p) {
        const ImageEntry* image = ImageAt(m_imageList.GetItemData(p));
        if (image == nullptr) {
            continue;
        }
        const bool fits = drive.typeCode.empty()
                              ? image->vendor == vendor && image->product == product
                              : image->typeCode == drive.typeCode;
        if (fits && CompareFileTime(&image->lastWriteTime, &best) >= 0) {
            best = image->lastWriteTime;
            result = p;
        }
    }
    return result;
}

void CUpdaterDlg::OnImageSelChange() {
    const int sel = m_imageList.GetCurSel();
    if (sel >= 0) {
        if (const ImageEntry* image = ImageAt(m_imageList.GetItemData(sel))) {
            m_driveList.SetCurSel(PickDriveForImage(*image));
        }
    }
    RefreshStartState();
}

int CUpdaterDlg::PickDriveForImage(const ImageEntry& image) {
    const int count = m_driveList.GetCount();
    for (int p = 0; p < count; ++p) {
        const DriveEntry* drive = DriveAt(m_driveList.GetItemData(p));
        if (drive != nullptr && drive->typeCode == image.typeCode) {
            return p;
        }
    }
    return -1;
}

void CUpdaterDlg::RefreshStartState() {
    const bool image = m_imageList.GetCurSel() >= 0;
    const bool drive = m_driveList.GetCurSel() >= 0;
    UINT status = IDS_CANNOT_START;
    if (image && drive) {
        status = IDS_STATUS_READY;
    } else if (drive) {
        status = IDS_NO_UPDATE_FILE;
    } else if (image) {
        status = IDS_NO_UPDATE_DRIVE;
    }
    SetStatus(status);
    EnableStart(image && drive);
}

void CUpdaterDlg::SetStatus(UINT nID) {
    const CString text = AfxLoadString(nID);
    CString current;
    m_status.GetWindowText(current);
    if (current != text) {
        m_status.SetWindowText(text.c_str());
    }
}

void CUpdaterDlg::OnSysCommand(UINT nID, LPARAM lParam) {
    if (IsAboutCommand(nID)) {
        CAboutDlg about;
        about.DoModal();
        return;
    }
    CDialog::OnSysCommand(nID, lParam);
}

void CUpdaterDlg::OnPaint() {
    if (!IsIconic()) {
        CDialog::OnPaint();
        return;
    }
    CPaintDC dc(this);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
    const int cxIcon = GetSystemMetrics(SM_CXICON);
    const int cyIcon = GetSystemMetrics(SM_CYICON);
    CRect rect;
    GetClientRect(&rect);
    const int x = (rect.Width() - cxIcon + 1) / 2;
    const int y = (rect.Height() - cyIcon + 1) / 2;
    dc.DrawIcon(x, y, m_hIcon);
}

HCURSOR CUpdaterDlg::OnQueryDragIcon() { return m_hIcon; }
