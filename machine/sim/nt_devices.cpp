// The NT family's SCSI devices: ports (\\.\ScsiN:) that list their devices' inquiry data,
// and drives (\\.\CdRomN, \\.\PhysicalDriveN, \\.\E:) that answer their address and
// pass-through commands.
#include <algorithm>
#include <cctype>
#include <cstring>

#include "machine/sim/machine_state.h"
#include "machine/sim/text_values.h"
#include "winapi/ntddscsi.h"

namespace machine::sim {
namespace {

// Opened and closed devices are recorded on the machine.
class SimDevice : public Device {
  public:
    SimDevice(std::shared_ptr<MachineState> state, std::string path, DWORD access)
        : m_state(std::move(state)), m_path(std::move(path)), m_access(access) {}
    ~SimDevice() override { m_state->RecordClose(m_path); }

    DWORD IoControl(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize,
                    DWORD& returned) override {
        returned = 0;
        // Bits 14-15 of a control code name the access it needs (1 read, 2 write).
        DWORD needs = (code >> 14) & 3;
        if (((needs & 1) && !(m_access & GENERIC_READ)) ||
            ((needs & 2) && !(m_access & GENERIC_WRITE)))
            return ERROR_ACCESS_DENIED;
        return Control(code, in, inSize, out, outSize, returned);
    }

  protected:
    virtual DWORD Control(DWORD, const void*, DWORD, void*, DWORD, DWORD&) {
        return ERROR_INVALID_FUNCTION;
    }
    const std::shared_ptr<MachineState> m_state;

  private:
    const std::string m_path;
    const DWORD m_access;
};

class PortDevice : public SimDevice {
  public:
    PortDevice(std::shared_ptr<MachineState> state, std::string path, DWORD access, int port)
        : SimDevice(std::move(state), std::move(path), access), m_port(port) {}

  protected:
    DWORD Control(DWORD code, const void*, DWORD, void* out, DWORD outSize,
                  DWORD& returned) override {
        if (code != IOCTL_SCSI_GET_INQUIRY_DATA) return ERROR_INVALID_FUNCTION;
        const PortSpec* spec = m_state->PortSpecFor(m_port);
        if (spec && spec->inquiryDataError) return spec->inquiryDataError;
        std::vector<uint8_t> answer = spec && spec->rawBusInfo ? spec->busInfo : Layout(spec);
        if (out == nullptr || answer.size() > outSize) return ERROR_INSUFFICIENT_BUFFER;
        std::memcpy(out, answer.data(), answer.size());
        returned = static_cast<DWORD>(answer.size());
        return ERROR_SUCCESS;
    }

  private:
    // SCSI_ADAPTER_BUS_INFO with one SCSI_BUS_DATA per bus, then each bus's chain of
    // SCSI_INQUIRY_DATA entries, in the order the description gives the devices.
    std::vector<uint8_t> Layout(const PortSpec* spec) {
        std::vector<std::shared_ptr<Drive>> devices;
        int buses = 1;
        for (const auto& d : m_state->drives) {
            if (!d->spec().onPort || d->spec().nt.port != m_port) continue;
            devices.push_back(d);
            buses = std::max(buses, d->spec().nt.bus + 1);
        }
        if (spec && spec->buses > 0) buses = spec->buses;
        const size_t header = offsetof(SCSI_ADAPTER_BUS_INFO, BusData) +
                              sizeof(SCSI_BUS_DATA) * static_cast<size_t>(buses);
        std::vector<uint8_t> out(header, 0);
        out[0] = static_cast<uint8_t>(buses);
        for (int bus = 0; bus < buses; ++bus) {
            SCSI_BUS_DATA data = {};
            data.InitiatorBusId = static_cast<UCHAR>(spec ? spec->initiator : 7);
            size_t previous = 0;
            for (const auto& d : devices) {
                if (d->spec().nt.bus != bus) continue;
                std::vector<uint8_t> inquiry = d->InquiryData();
                size_t at = (out.size() + 7) & ~static_cast<size_t>(7);
                out.resize(at + offsetof(SCSI_INQUIRY_DATA, InquiryData) + inquiry.size(), 0);
                SCSI_INQUIRY_DATA entry = {};
                entry.PathId = static_cast<UCHAR>(bus);
                entry.TargetId = static_cast<UCHAR>(d->spec().nt.target);
                entry.Lun = static_cast<UCHAR>(d->spec().nt.lun);
                entry.DeviceClaimed = d->spec().claimed ? 1 : 0;
                entry.InquiryDataLength = static_cast<ULONG>(inquiry.size());
                std::memcpy(out.data() + at, &entry, offsetof(SCSI_INQUIRY_DATA, InquiryData));
                std::memcpy(out.data() + at + offsetof(SCSI_INQUIRY_DATA, InquiryData),
                            inquiry.data(), inquiry.size());
                if (previous == 0) {
                    data.InquiryDataOffset = static_cast<ULONG>(at);
                } else {
                    ULONG next = static_cast<ULONG>(at);
                    std::memcpy(
                        out.data() + previous + offsetof(SCSI_INQUIRY_DATA, NextInquiryDataOffset),
                        &next, sizeof next);
                }
                previous = at;
                ++data.NumberOfLogicalUnits;
            }
            std::memcpy(out.data() + offsetof(SCSI_ADAPTER_BUS_INFO, BusData) +
                            sizeof(SCSI_BUS_DATA) * static_cast<size_t>(bus),
                        &data, sizeof data);
        }
        return out;
    }

    const int m_port;
};

class DriveDevice : public SimDevice {
  public:
    DriveDevice(std::shared_ptr<MachineState> state, std::string path, DWORD access,
                std::shared_ptr<Drive> drive)
        : SimDevice(std::move(state), std::move(path), access), m_drive(std::move(drive)) {}

  protected:
    DWORD Control(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize,
                  DWORD& returned) override {
        const DriveSpec& spec = m_drive->spec();
        if (spec.ioctlError) return spec.ioctlError;
        if (code == IOCTL_SCSI_GET_ADDRESS) {
            if (spec.addressError) return spec.addressError;
            if (!spec.onPort) return ERROR_INVALID_FUNCTION;
            if (out == nullptr || outSize < sizeof(SCSI_ADDRESS)) return ERROR_INSUFFICIENT_BUFFER;
            SCSI_ADDRESS a = {};
            a.Length = sizeof a;
            a.PortNumber = static_cast<UCHAR>(spec.nt.port);
            a.PathId = static_cast<UCHAR>(spec.nt.bus);
            a.TargetId = static_cast<UCHAR>(spec.nt.target);
            a.Lun = static_cast<UCHAR>(spec.nt.lun);
            std::memcpy(out, &a, sizeof a);
            returned = sizeof a;
            return ERROR_SUCCESS;
        }
        if (code == IOCTL_SCSI_PASS_THROUGH_DIRECT)
            return PassThrough(in, inSize, out, outSize, returned);
        return ERROR_INVALID_FUNCTION;
    }

  private:
    DWORD PassThrough(const void* in, DWORD inSize, void* out, DWORD outSize, DWORD& returned) {
        SCSI_PASS_THROUGH_DIRECT sptd;
        if (in == nullptr || inSize < sizeof sptd || out == nullptr || outSize < sizeof sptd)
            return ERROR_INVALID_PARAMETER;
        std::memcpy(&sptd, in, sizeof sptd);
        if (sptd.Length != sizeof sptd || sptd.CdbLength == 0 || sptd.CdbLength > 16 ||
            sptd.DataIn > SCSI_IOCTL_DATA_UNSPECIFIED ||
            (sptd.DataTransferLength > 0 && sptd.DataBuffer == nullptr))
            return ERROR_INVALID_PARAMETER;
        // The sense area lies after the structure and inside the output buffer.
        if (sptd.SenseInfoLength > 0 &&
            (sptd.SenseInfoOffset < sizeof sptd ||
             static_cast<uint64_t>(sptd.SenseInfoOffset) + sptd.SenseInfoLength > outSize ||
             static_cast<uint64_t>(sptd.SenseInfoOffset) + sptd.SenseInfoLength > inSize))
            return ERROR_INVALID_PARAMETER;

        CommandRequest request;
        request.cdb = sptd.Cdb;
        request.cdbLength = sptd.CdbLength;
        request.direction = sptd.DataIn == SCSI_IOCTL_DATA_OUT  ? Direction::Out
                            : sptd.DataIn == SCSI_IOCTL_DATA_IN ? Direction::In
                                                                : Direction::ByCommand;
        request.data = static_cast<uint8_t*>(sptd.DataBuffer);
        request.length = sptd.DataTransferLength;
        request.via = Transport::PassThrough;
        request.lun = m_drive->spec().nt.lun;
        CommandReply reply = m_drive->Execute(request);
        switch (reply.kind) {
            case CommandReply::Done:
                break;
            case CommandReply::HostFailure:
                return ERROR_IO_DEVICE;
            case CommandReply::IoFailure:
                return reply.ioError;
            case CommandReply::NoAnswer:
                m_state->clock->Sleep(sptd.TimeOutValue * 1000);
                return ERROR_SEM_TIMEOUT;
        }
        const DriveSpec& spec = m_drive->spec();
        sptd.ScsiStatus = reply.status;
        sptd.PathId = static_cast<UCHAR>(spec.nt.bus);
        sptd.TargetId = static_cast<UCHAR>(spec.nt.target);
        sptd.Lun = static_cast<UCHAR>(spec.nt.lun);
        sptd.DataTransferLength = reply.transferred;
        UCHAR senseBytes = std::min<UCHAR>(sptd.SenseInfoLength, reply.senseLength);
        if (senseBytes > 0)
            std::memcpy(static_cast<uint8_t*>(out) + sptd.SenseInfoOffset, reply.sense.data(),
                        senseBytes);
        sptd.SenseInfoLength = senseBytes;
        std::memcpy(out, &sptd, sizeof sptd);
        returned =
            senseBytes > 0 ? sptd.SenseInfoOffset + senseBytes : static_cast<DWORD>(sizeof sptd);
        return ERROR_SUCCESS;
    }

    const std::shared_ptr<Drive> m_drive;
};

// "Scsi3:" -> 3; -1 for anything else.
int PortNumber(const std::string& name) {
    std::string l = Lower(name);
    if (l.size() < 6 || l.compare(0, 4, "scsi") != 0 || l.back() != ':') return -1;
    std::string digits = l.substr(4, l.size() - 5);
    if (digits.empty() || digits.size() > 3 ||
        !std::all_of(digits.begin(), digits.end(), [](unsigned char c) { return std::isdigit(c); }))
        return -1;
    return std::stoi(digits);
}

}  // namespace

std::unique_ptr<Device> OpenNtDevice(const std::shared_ptr<MachineState>& state,
                                     const std::string& path, DWORD access, DWORD share,
                                     DWORD& error) {
    const std::string name = path.substr(4);  // the part after the device prefix
    std::unique_ptr<Device> device;
    error = ERROR_FILE_NOT_FOUND;
    int port = PortNumber(name);
    std::string driveName;
    bool known = false;
    if (port >= 0) {
        if (state->PortExists(port)) {
            const PortSpec* spec = state->PortSpecFor(port);
            if (spec && spec->openError)
                error = spec->openError;
            else
                device = std::make_unique<PortDevice>(state, path, access, port);
        }
    } else {
        for (const DosNameSpec& n : state->desc.dosNames)
            if (Lower(n.name) == Lower(name)) {
                known = true;
                driveName = n.drive;
            }
    }
    if (known && driveName.empty()) {
        device = std::make_unique<SimDevice>(state, path, access);
    } else if (known) {
        std::shared_ptr<Drive> drive = state->DriveNamed(driveName);
        const DriveSpec& spec = drive->spec();
        bool writes = (access & GENERIC_WRITE) != 0;
        if (spec.openError && (!spec.openErrorOnlyForWrite || writes))
            error = spec.openError;
        else
            device = std::make_unique<DriveDevice>(state, path, access, drive);
    }
    state->RecordOpen(path, access, share, device ? ERROR_SUCCESS : error);
    if (device) error = ERROR_SUCCESS;
    return device;
}

}  // namespace machine::sim
