#include "engine/drive_controller.h"

#include "framework/wnd.h"
#include "params/builtin_drive_table.h"

CDriveController::CDriveController(int platform, HMODULE aspiModule, const CDriveParamList* params)
    : CFlashDevice(platform, aspiModule), m_cancel(nullptr), m_notifyMsg(0), m_notifyWnd(nullptr) {
    if (params != nullptr) {
        for (const DriveParam& param : *params) {
            m_driveParams.push_back(param);
        }
    }
    // The built-in rows come after the file's entries, so a file entry wins over them.
    for (const BuiltinDriveRow* row = BuiltinDriveTable;
         row->modelName != nullptr && row->modelName[0] != '\0'; ++row) {
        DriveParam param;
        param.modelName = row->modelName;
        param.typeCodeOffset = row->typeCodeOffset;
        param.atapi = row->atapi;
        param.typeCodeEnable = row->typeCodeEnable;
        m_driveParams.push_back(param);
    }
}

CDriveController::~CDriveController() {
    m_driveParams.clear();
    m_drives.clear();
}

void CDriveController::Notify(int code, int value) {
    if (m_notifyWnd != nullptr) {
        PostMessageA(m_notifyWnd->m_hWnd, m_notifyMsg, static_cast<WPARAM>(code),
                     static_cast<LPARAM>(value));
    }
}

bool CDriveController::CancelRequested() const {
    return m_cancel != nullptr && m_cancel->load() != 0;
}
