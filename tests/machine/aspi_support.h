// Test helpers for the simulated ASPI module: its entry points, and one command sent the way
// an ASPI client does (event notification, a long wait, an abort when it passes).
#pragma once

#include <cstring>
#include <initializer_list>

#include "winapi/windows.h"
#include "winapi/wnaspi32.h"

namespace aspitest {

template <class F>
F AsProc(FARPROC p) {
    return reinterpret_cast<F>(reinterpret_cast<void (*)()>(p));
}

struct Aspi {
    Aspi() {
        module = LoadLibraryA("wnaspi32.dll");
        if (module == nullptr) return;
        info = AsProc<GetASPI32SupportInfoProc>(GetProcAddress(module, "GetASPI32SupportInfo"));
        send = AsProc<SendASPI32CommandProc>(GetProcAddress(module, "SendASPI32Command"));
    }
    ~Aspi() {
        if (module != nullptr) FreeLibrary(module);
    }
    HMODULE module = nullptr;
    GetASPI32SupportInfoProc info = nullptr;
    SendASPI32CommandProc send = nullptr;
};

struct Outcome {
    DWORD sent = 0;              // what SendASPI32Command returned
    DWORD wait = WAIT_OBJECT_0;  // the wait's outcome, when there was one
    bool waited = false;
    BYTE abortStatus = 0;
    SRB_ExecSCSICmd srb;
};

const DWORD kTimeout = 0x300000;

inline Outcome Exec(Aspi& aspi, BYTE ha, BYTE target, BYTE lun, const BYTE* cdb, size_t cdbLength,
                    BYTE flags, void* buffer, DWORD length) {
    Outcome o;
    std::memset(&o.srb, 0, sizeof o.srb);
    HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    o.srb.SRB_Cmd = SC_EXEC_SCSI_CMD;
    o.srb.SRB_HaId = ha;
    o.srb.SRB_Target = target;
    o.srb.SRB_Lun = lun;
    o.srb.SRB_Flags = static_cast<BYTE>(flags | SRB_EVENT_NOTIFY);
    o.srb.SRB_BufLen = length;
    o.srb.SRB_BufPointer = static_cast<BYTE*>(buffer);
    o.srb.SRB_SenseLen = SENSE_LEN;
    o.srb.SRB_CDBLen = static_cast<BYTE>(cdbLength);
    o.srb.SRB_PostProc = event;
    std::memcpy(o.srb.CDBByte, cdb, cdbLength);
    o.sent = aspi.send(&o.srb);
    if (o.srb.SRB_Status == SS_PENDING) {
        o.waited = true;
        o.wait = WaitForSingleObject(event, kTimeout);
        if (o.wait == WAIT_TIMEOUT) {
            SRB_Abort abort;
            std::memset(&abort, 0, sizeof abort);
            abort.SRB_Cmd = SC_ABORT_SRB;
            abort.SRB_HaId = ha;
            abort.SRB_ToAbort = &o.srb;
            o.abortStatus = static_cast<BYTE>(aspi.send(&abort));
        }
    }
    CloseHandle(event);
    return o;
}

inline Outcome Exec(Aspi& aspi, BYTE ha, BYTE target, BYTE lun, std::initializer_list<BYTE> cdb,
                    BYTE flags = 0, void* buffer = nullptr, DWORD length = 0) {
    return Exec(aspi, ha, target, lun, cdb.begin(), cdb.size(), flags, buffer, length);
}

}  // namespace aspitest
