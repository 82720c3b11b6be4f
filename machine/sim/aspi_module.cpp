// The simulated ASPI module (WNASPI32.DLL): its host adapters and the drives behind them,
// reached through GetASPI32SupportInfo and SendASPI32Command. A request completes before
// SendASPI32Command returns, or later on a thread of the module that then signals the
// request's event, or never (a drive that does not answer).
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

#include "machine/sim/machine_state.h"
#include "winapi/event_object.h"
#include "winapi/winbase.h"
#include "winapi/wnaspi32.h"

namespace machine::sim {
namespace {

class AspiModule : public Module {
  public:
    explicit AspiModule(std::shared_ptr<MachineState> state) : m_state(std::move(state)) {}
    ~AspiModule() override;

    FARPROC Proc(const std::string& name) override;
    std::string Path() override { return m_state->desc.aspi.path; }

    DWORD SupportInfo();
    DWORD Send(void* srb);

  private:
    // A request sent and not yet completed. What the drive needs is copied at sending time,
    // so that the completing thread touches the issuer's request block only to complete it.
    struct Pending {
        SRB_ExecSCSICmd* srb;
        HANDLE event;  // null without SRB_EVENT_NOTIFY
        std::shared_ptr<Drive> drive;
        CommandRequest request;
        std::array<uint8_t, 16> cdb;
        BYTE senseLength;
        BYTE flags;
        DWORD bufferLength;
    };
    struct Completer {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> done;
    };

    int AdapterCount() const;
    AdapterSpec Adapter(int index) const;
    BYTE HostAdapterInquiry(SRB_HAInquiry& srb);
    BYTE DeviceType(SRB_GDEVBlock& srb);
    BYTE Execute(SRB_ExecSCSICmd& srb);
    BYTE Abort(SRB_Abort& srb);
    BYTE AnswerMissingLun(SRB_ExecSCSICmd& srb);
    void CompleteLater(const std::shared_ptr<Pending>& p, uint32_t delayMs);
    // Writes the outcome into the request block; SRB_Status last.
    static void Fill(const Pending& p, const CommandReply& reply);
    static void Signal(HANDLE event);

    const std::shared_ptr<MachineState> m_state;
    std::mutex m_lock;  // guards m_pending and m_completers
    std::vector<std::shared_ptr<Pending>> m_pending;
    std::vector<Completer> m_completers;
    std::atomic<bool> m_stopping{false};
};

DWORD ExportedGetASPI32SupportInfo();
DWORD ExportedSendASPI32Command(LPSRB srb);

AspiModule::~AspiModule() {
    m_stopping = true;
    for (Completer& c : m_completers) c.thread.join();
}

// Through void (*)(), the type that converts to and from every function pointer type.
template <class F>
FARPROC AsFarProc(F* f) {
    return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(f));
}

FARPROC AspiModule::Proc(const std::string& name) {
    const AspiSpec& spec = m_state->desc.aspi;
    if (name == "GetASPI32SupportInfo" && spec.hasSupportInfo)
        return AsFarProc(&ExportedGetASPI32SupportInfo);
    if (name == "SendASPI32Command" && spec.hasSendCommand)
        return AsFarProc(&ExportedSendASPI32Command);
    return nullptr;
}

int AspiModule::AdapterCount() const {
    const AspiSpec& spec = m_state->desc.aspi;
    if (spec.adapterCount >= 0) return spec.adapterCount;
    int count = 0;
    for (const AdapterSpec& a : m_state->desc.adapters) count = std::max(count, a.index + 1);
    return count;
}

AdapterSpec AspiModule::Adapter(int index) const {
    for (const AdapterSpec& a : m_state->desc.adapters)
        if (a.index == index) return a;
    AdapterSpec a;
    a.index = index;
    return a;
}

DWORD AspiModule::SupportInfo() {
    const AspiSpec& spec = m_state->desc.aspi;
    if (spec.rawSupportInfo) return spec.supportInfo;
    int count = AdapterCount();
    if (count == 0) return static_cast<DWORD>(SS_NO_ADAPTERS) << 8;
    return (static_cast<DWORD>(SS_COMP) << 8) | static_cast<DWORD>(count & 0xFF);
}

DWORD AspiModule::Send(void* block) {
    if (block == nullptr) return SS_INVALID_SRB;
    auto* header = static_cast<SRB_Header*>(block);
    AspiRecord record;
    record.command = header->SRB_Cmd;
    record.adapter = header->SRB_HaId;
    record.flags = header->SRB_Flags;
    BYTE status;
    switch (header->SRB_Cmd) {
        case SC_HA_INQUIRY:
            status = HostAdapterInquiry(*static_cast<SRB_HAInquiry*>(block));
            break;
        case SC_GET_DEV_TYPE: {
            auto& srb = *static_cast<SRB_GDEVBlock*>(block);
            record.target = srb.SRB_Target;
            record.lun = srb.SRB_Lun;
            status = DeviceType(srb);
            break;
        }
        case SC_EXEC_SCSI_CMD: {
            auto& srb = *static_cast<SRB_ExecSCSICmd*>(block);
            record.target = srb.SRB_Target;
            record.lun = srb.SRB_Lun;
            record.bufferLength = srb.SRB_BufLen;
            record.cdb.assign(srb.CDBByte, srb.CDBByte + std::min<int>(srb.SRB_CDBLen, 16));
            status = Execute(srb);
            break;
        }
        case SC_ABORT_SRB:
            status = Abort(*static_cast<SRB_Abort*>(block));
            break;
        default:
            status = SS_INVALID_CMD;
            header->SRB_Status = status;
            break;
    }
    record.status = status;
    std::lock_guard<std::mutex> hold(m_state->lock);
    m_state->aspiRecords.push_back(std::move(record));
    return status;
}

BYTE AspiModule::HostAdapterInquiry(SRB_HAInquiry& srb) {
    int count = AdapterCount();
    if (srb.SRB_HaId >= count) return srb.SRB_Status = SS_INVALID_HA;
    AdapterSpec a = Adapter(srb.SRB_HaId);
    if (!a.answers) return srb.SRB_Status = SS_ERR;
    srb.HA_Count = static_cast<BYTE>(count);
    srb.HA_SCSI_ID = static_cast<BYTE>(a.scsiId);
    std::memset(srb.HA_ManagerId, 0, sizeof srb.HA_ManagerId);
    std::memcpy(srb.HA_ManagerId, a.manager.data(), std::min<size_t>(a.manager.size(), 16));
    std::memset(srb.HA_Identifier, 0, sizeof srb.HA_Identifier);
    std::memcpy(srb.HA_Identifier, a.identifier.data(), std::min<size_t>(a.identifier.size(), 16));
    std::memset(srb.HA_Unique, 0, sizeof srb.HA_Unique);
    srb.HA_Unique[3] = static_cast<BYTE>(a.maxTargets);
    const DWORD maxTransfer = 0x10000;  // bytes 4-7: largest transfer, little-endian
    std::memcpy(srb.HA_Unique + 4, &maxTransfer, sizeof maxTransfer);
    return srb.SRB_Status = SS_COMP;
}

BYTE AspiModule::DeviceType(SRB_GDEVBlock& srb) {
    if (srb.SRB_HaId >= AdapterCount()) return srb.SRB_Status = SS_INVALID_HA;
    std::shared_ptr<Drive> drive = m_state->DriveOnAspi(srb.SRB_HaId, srb.SRB_Target, srb.SRB_Lun);
    if (!drive) return srb.SRB_Status = SS_NO_DEVICE;
    int type = drive->spec().aspiDeviceType;
    if (type < 0) type = drive->InquiryData()[0] & 0x1F;
    srb.SRB_DeviceType = static_cast<BYTE>(type);
    return srb.SRB_Status = SS_COMP;
}

BYTE AspiModule::Execute(SRB_ExecSCSICmd& srb) {
    if (srb.SRB_HaId >= AdapterCount()) return srb.SRB_Status = SS_INVALID_HA;
    bool in = (srb.SRB_Flags & SRB_DIR_IN) != 0;
    bool out = (srb.SRB_Flags & SRB_DIR_OUT) != 0;
    if (srb.SRB_CDBLen == 0 || srb.SRB_CDBLen > 16 || (in && out) ||
        (srb.SRB_BufLen > 0 && srb.SRB_BufPointer == nullptr))
        return srb.SRB_Status = SS_INVALID_SRB;

    // Is anybody at this target? A SCSI-1 target reads the LUN from CDB byte 1.
    bool targetAnswers = false;
    bool scsi1 = false;
    for (const auto& d : m_state->drives) {
        const DriveSpec& s = d->spec();
        if (!s.onAspi || s.aspi.adapter != srb.SRB_HaId || s.aspi.target != srb.SRB_Target)
            continue;
        targetAnswers = true;
        scsi1 = scsi1 || s.scsi1;
    }
    if (!targetAnswers) {
        srb.SRB_HaStat = HASTAT_SEL_TO;
        srb.SRB_TargStat = 0;
        return srb.SRB_Status = SS_ERR;
    }
    int lun = scsi1 ? (srb.CDBByte[1] >> 5) & 7 : srb.SRB_Lun;
    std::shared_ptr<Drive> drive = m_state->DriveOnAspi(srb.SRB_HaId, srb.SRB_Target, lun);
    if (!drive) return AnswerMissingLun(srb);

    auto p = std::make_shared<Pending>();
    p->srb = &srb;
    p->event = (srb.SRB_Flags & SRB_EVENT_NOTIFY) ? static_cast<HANDLE>(srb.SRB_PostProc) : nullptr;
    p->drive = drive;
    std::memcpy(p->cdb.data(), srb.CDBByte, 16);
    p->senseLength = srb.SRB_SenseLen;
    p->flags = srb.SRB_Flags;
    p->bufferLength = srb.SRB_BufLen;
    p->request.cdb = p->cdb.data();
    p->request.cdbLength = srb.SRB_CDBLen;
    p->request.direction = in ? Direction::In : out ? Direction::Out : Direction::ByCommand;
    p->request.data = srb.SRB_BufPointer;
    p->request.length = srb.SRB_BufLen;
    p->request.via = Transport::Aspi;
    p->request.srbLun = srb.SRB_Lun;
    p->request.lun = lun;

    const DriveSpec& spec = drive->spec();
    bool later = p->event != nullptr && (spec.asyncAll || spec.asyncOpcodes.count(p->cdb[0]) > 0);
    srb.SRB_Status = SS_PENDING;
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_pending.push_back(p);
    }
    if (later) {
        CompleteLater(p, spec.asyncDelayMs);
        return SS_PENDING;
    }
    CommandReply reply = drive->Execute(p->request);
    if (reply.kind == CommandReply::NoAnswer) {
        // It stays pending until aborted; a timed wait for it can pass at once.
        if (auto event = winapi::HandleTable::Find<winapi::EventObject>(p->event))
            event->MarkNeverSignalled();
        return SS_PENDING;
    }
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_pending.erase(std::find(m_pending.begin(), m_pending.end(), p));
    }
    Fill(*p, reply);
    Signal(p->event);
    return srb.SRB_Status;
}

// A logical unit that the target does not have: INQUIRY says so with peripheral qualifier
// 3, anything else is refused with LOGICAL UNIT NOT SUPPORTED.
BYTE AspiModule::AnswerMissingLun(SRB_ExecSCSICmd& srb) {
    Pending p{&srb, nullptr, nullptr, {}, {}, srb.SRB_SenseLen, srb.SRB_Flags, srb.SRB_BufLen};
    CommandReply reply;
    if (srb.CDBByte[0] == 0x12) {
        uint8_t none[36] = {0x7F};
        reply.transferred = std::min<uint32_t>({srb.CDBByte[4], sizeof none, srb.SRB_BufLen});
        if (reply.transferred > 0) std::memcpy(srb.SRB_BufPointer, none, reply.transferred);
    } else {
        reply.status = 0x02;
        reply.sense[0] = 0x70;
        reply.sense[2] = 5;
        reply.sense[7] = 10;
        reply.sense[12] = 0x25;
        reply.senseLength = 18;
    }
    if (srb.SRB_Flags & SRB_EVENT_NOTIFY) p.event = static_cast<HANDLE>(srb.SRB_PostProc);
    Fill(p, reply);
    Signal(p.event);
    return srb.SRB_Status;
}

void AspiModule::Fill(const Pending& p, const CommandReply& reply) {
    SRB_ExecSCSICmd& srb = *p.srb;
    srb.SRB_HaStat = 0;
    srb.SRB_TargStat = 0;
    BYTE status = SS_COMP;
    switch (reply.kind) {
        case CommandReply::Done:
            srb.SRB_TargStat = reply.status;
            if (reply.status != 0) status = SS_ERR;
            if (reply.status == 0x02 && p.senseLength > 0) {
                size_t n =
                    std::min<size_t>({p.senseLength, sizeof srb.SenseArea, reply.senseLength});
                std::memcpy(srb.SenseArea, reply.sense.data(), n);
            }
            break;
        case CommandReply::HostFailure:
            srb.SRB_HaStat = reply.hostStatus;
            status = SS_ERR;
            break;
        case CommandReply::IoFailure:
        case CommandReply::NoAnswer:
            srb.SRB_HaStat = HASTAT_PHASE_ERR;
            status = SS_ERR;
            break;
    }
    if (p.flags & SRB_ENABLE_RESIDUAL_COUNT)
        srb.SRB_BufLen = p.bufferLength - std::min(p.bufferLength, reply.transferred);
    srb.SRB_Status = status;
}

void AspiModule::Signal(HANDLE event) {
    if (event != nullptr) SetEvent(event);
}

void AspiModule::CompleteLater(const std::shared_ptr<Pending>& p, uint32_t delayMs) {
    auto done = std::make_shared<std::atomic<bool>>(false);
    std::thread thread([this, p, delayMs, done] {
        m_state->clock->Sleep(delayMs);
        // The issuer reads the request block until it starts waiting; only then is the
        // block ours to write. A closed event means the issuer has given up on it.
        for (;;) {
            auto event = winapi::HandleTable::Find<winapi::EventObject>(p->event);
            if (m_stopping || !event) break;
            if (event->HasWaiterOrClosed()) break;
            std::this_thread::sleep_for(std::chrono::microseconds(100));
        }
        auto event = winapi::HandleTable::Find<winapi::EventObject>(p->event);
        std::unique_lock<std::mutex> hold(m_lock);
        auto it = std::find(m_pending.begin(), m_pending.end(), p);
        if (it == m_pending.end() || !event || m_stopping) {  // aborted, or nobody waits
            if (it != m_pending.end()) m_pending.erase(it);
            *done = true;
            return;
        }
        CommandReply reply = p->drive->Execute(p->request);
        if (reply.kind == CommandReply::NoAnswer) {
            event->MarkNeverSignalled();
        } else {
            m_pending.erase(it);
            Fill(*p, reply);
            hold.unlock();
            event->Set();
        }
        *done = true;
    });
    std::lock_guard<std::mutex> hold(m_lock);
    // Finished completers are joined as new ones start, so they do not pile up.
    for (auto it = m_completers.begin(); it != m_completers.end();) {
        if (*it->done) {
            it->thread.join();
            it = m_completers.erase(it);
        } else {
            ++it;
        }
    }
    m_completers.push_back({std::move(thread), done});
}

BYTE AspiModule::Abort(SRB_Abort& srb) {
    if (srb.SRB_HaId >= AdapterCount()) return srb.SRB_Status = SS_INVALID_HA;
    std::shared_ptr<Pending> aborted;
    {
        std::lock_guard<std::mutex> hold(m_lock);
        for (auto it = m_pending.begin(); it != m_pending.end(); ++it)
            if (static_cast<void*>((*it)->srb) == srb.SRB_ToAbort) {
                aborted = *it;
                m_pending.erase(it);
                break;
            }
        if (aborted) aborted->srb->SRB_Status = SS_ABORTED;
    }
    if (!aborted) return srb.SRB_Status = SS_ABORT_FAIL;
    Signal(aborted->event);
    return srb.SRB_Status = SS_COMP;
}

Module* CurrentModule(std::shared_ptr<Module>& keep) {
    keep = LoadedAspiModule();
    return keep.get();
}

DWORD ExportedGetASPI32SupportInfo() {
    std::shared_ptr<Module> keep;
    auto* m = static_cast<AspiModule*>(CurrentModule(keep));
    return m ? m->SupportInfo() : static_cast<DWORD>(SS_NO_ADAPTERS) << 8;
}

DWORD ExportedSendASPI32Command(LPSRB srb) {
    std::shared_ptr<Module> keep;
    auto* m = static_cast<AspiModule*>(CurrentModule(keep));
    if (m) return m->Send(srb);
    if (srb) static_cast<SRB_Header*>(srb)->SRB_Status = SS_NO_ADAPTERS;
    return SS_NO_ADAPTERS;
}

}  // namespace

std::shared_ptr<Module> CreateAspiModule(const std::shared_ptr<MachineState>& state) {
    return std::make_shared<AspiModule>(state);
}

std::shared_ptr<Module> LoadedAspiModule() {
    auto* sim = dynamic_cast<SimMachine*>(&Active());
    return sim ? sim->LoadedAspiModule() : nullptr;
}

}  // namespace machine::sim
