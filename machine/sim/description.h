// A simulated machine as a person writes it down: platform, clock, SCSI ports, drives, drive
// letters, MS-DOS device names, the ASPI module and its host adapters, and injected faults.
// The text format is described in docs/machine-description.md.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "winapi/windef.h"

namespace machine::sim {

// Which occurrences of something a fault hits, counted from 1.
struct Occurrence {
    enum Kind { Every, Only, From } kind = Every;
    int n = 0;
    bool Matches(int count) const {
        return kind == Every || (kind == Only ? count == n : count >= n);
    }
};

// One scripted failure of a command that reaches a drive.
struct CommandFault {
    int opcode = -1;  // -1: any command
    Occurrence when;
    enum Kind {
        Status,      // the command ends with `status` (CHECK CONDITION carries `sense`)
        HostStatus,  // the host adapter fails (ASPI: SRB_HaStat; pass-through: I/O error)
        IoError,     // the pass-through I/O control fails with `ioError` (ASPI: adapter error)
        NoAnswer     // the drive never answers: pass-through times out, ASPI never completes
    } kind = Status;
    uint8_t status = 0x02;
    uint8_t senseKey = 0, asc = 0, ascq = 0;
    uint8_t hostStatus = 0;
    DWORD ioError = 0;
};

enum class Phase { Checking = 0, Erasing = 1, Writing = 2, Verifying = 3, None = 4 };

struct NtAddress {
    int port = 0, bus = 0, target = 0, lun = 0;
};

struct AspiAddress {
    int adapter = 0, target = 0, lun = 0;
};

struct DriveSpec {
    std::string name;
    int line = 0;
    bool atapi = true;  // 12-byte vendor commands; false: 10-byte SCSI form
    int deviceType = 5;
    bool rmb = true;
    int ansi = -1;  // -1: 0 for ATAPI, 2 for SCSI
    std::string vendor = "        ";
    std::string model = "CD-R/RW KP2140A";
    std::string revision = "1.00";
    bool rawInquiry = false;
    std::vector<uint8_t> inquiry;  // raw bytes when rawInquiry
    size_t inquiryLength = 36;
    bool flashProtocol = true;
    std::string typeCode = "ABC123";
    uint32_t typeCodeOffset = 4;
    uint32_t flashSize = 0x100000;
    std::string flashFile;
    uint32_t phaseMs[4] = {1000, 2000, 3000, 1000};
    bool refuseOutsideWriteMode = false;
    bool acceptWrongForm = false;
    bool mediumPresent = false;
    // NT
    bool onPort = false;
    NtAddress nt;
    bool claimed = false;
    std::vector<std::string> names;  // MS-DOS device names (also listed in the machine's order)
    char letter = 0;
    // ASPI
    bool onAspi = false;
    AspiAddress aspi;
    bool scsi1 = false;
    int aspiDeviceType = -1;  // -1: from the INQUIRY data
    bool asyncAll = false;
    std::set<int> asyncOpcodes;
    uint32_t asyncDelayMs = 0;
    // Faults
    DWORD openError = 0;
    bool openErrorOnlyForWrite = false;
    DWORD ioctlError = 0;
    DWORD addressError = 0;
    std::vector<CommandFault> commandFaults;
    Phase failingPhase = Phase::None;
};

struct PortSpec {
    int number = 0;
    int line = 0;
    int buses = -1;  // -1: as many as its devices need
    int initiator = 7;
    DWORD openError = 0;
    DWORD inquiryDataError = 0;
    bool rawBusInfo = false;
    std::vector<uint8_t> busInfo;
};

struct LetterSpec {
    char letter = 'C';
    UINT type = DRIVE_FIXED;
    std::string drive;  // name of the drive behind it, or empty
    std::string target;
    int line = 0;
};

// An MS-DOS device name, in the order QueryDosDeviceA lists them.
struct DosNameSpec {
    std::string name;
    std::string drive;  // the drive it names, or empty
    std::string target;
    int line = 0;
};

struct AdapterSpec {
    int index = 0;
    int line = 0;
    int scsiId = 7;
    std::string manager = "ASPI for WIN32";
    std::string identifier = "SIMULATED";
    int maxTargets = 8;  // HA_Unique byte 3 as reported
    bool answers = true;
};

struct AspiSpec {
    bool present = false;
    bool hasSupportInfo = true;
    bool hasSendCommand = true;
    int adapterCount = -1;  // -1: the number of [adapter] sections
    bool rawSupportInfo = false;
    DWORD supportInfo = 0;
    std::string path = "C:\\WINDOWS\\SYSTEM\\WNASPI32.DLL";
};

struct MachineFault {
    Occurrence when;
    DWORD error = ERROR_NOT_ENOUGH_MEMORY;
};

struct Description {
    bool versionFails = false;
    DWORD platformId = VER_PLATFORM_WIN32_NT;
    bool versionGiven = false;
    DWORD major = 0, minor = 0, build = 0;
    std::string servicePack;
    bool virtualClock = true;
    std::string program;  // empty: the real executable
    enum PowerOff { Allowed, Denied, Fails } powerOff = Allowed;
    std::vector<MachineFault> createEventFaults;
    std::vector<MachineFault> waitFaults;
    std::vector<DriveSpec> drives;
    std::vector<PortSpec> ports;
    std::vector<LetterSpec> letters;
    std::vector<DosNameSpec> dosNames;
    AspiSpec aspi;
    std::vector<AdapterSpec> adapters;
    std::string baseDir;  // relative file names are taken from here
};

// Reads a description. On failure returns false and says which line is wrong and why.
bool ParseDescription(const std::string& text, const std::string& baseDir, Description& out,
                      std::string& error);

}  // namespace machine::sim
