// One simulated drive: a SCSI target that answers the standard commands it needs and the
// vendor flash protocol (write mode, flash read, block reception, lock release, write
// preparation, then the flash phases reported through TEST UNIT READY). Whatever transport
// reaches it (pass-through or ASPI) talks to the same object. Safe to use from any thread.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "machine/machine.h"
#include "machine/sim/description.h"

namespace machine::sim {

enum class Transport { PassThrough, Aspi };
enum class Direction { None, In, Out, ByCommand };

// What one command looked like when it reached the drive, and how it ended.
struct CommandRecord {
    Transport via = Transport::PassThrough;
    std::array<uint8_t, 16> cdb{};
    uint8_t cdbLength = 0;
    Direction direction = Direction::None;
    uint32_t length = 0;
    std::vector<uint8_t> dataOut;
    int srbLun = 0;  // ASPI: SRB_Lun as sent
    int lun = 0;     // the logical unit addressed (a SCSI-1 target takes it from CDB byte 1)
    uint64_t timeMs = 0;
    bool faulted = false;  // an injected fault answered instead of the drive
    uint8_t status = 0;
    uint8_t senseKey = 0, asc = 0, ascq = 0;
};

struct CommandRequest {
    const uint8_t* cdb = nullptr;
    size_t cdbLength = 0;
    Direction direction = Direction::None;
    uint8_t* data = nullptr;
    uint32_t length = 0;
    Transport via = Transport::PassThrough;
    int srbLun = 0;
    int lun = 0;
};

struct CommandReply {
    enum Kind { Done, HostFailure, IoFailure, NoAnswer } kind = Done;
    uint8_t status = 0;               // SCSI status byte
    std::array<uint8_t, 18> sense{};  // fixed-format sense data when status is CHECK CONDITION
    uint8_t senseLength = 0;
    uint32_t transferred = 0;
    uint8_t hostStatus = 0;
    DWORD ioError = 0;
};

class Drive {
  public:
    Drive(const DriveSpec& spec, Clock& clock);

    CommandReply Execute(const CommandRequest& request);
    // The machine was switched off and on: write mode and received data are gone, and the
    // firmware now in the flash is the one that runs.
    void PowerCycle();

    const DriveSpec& spec() const { return m_spec; }
    // The INQUIRY data the drive reports now (the port driver lists it too).
    std::vector<uint8_t> InquiryData();

    // For tests.
    std::vector<CommandRecord> Log();
    void ClearLog();
    std::vector<uint8_t> Flash();
    bool InWriteMode();
    Phase CurrentPhase();  // None when no flash run is under way
    size_t ReceivedBytes();
    std::string RunningRevision();
    int PowerCycles();
    // A problem met while keeping the flash file (empty when none).
    std::string FlashFileError();

  private:
    enum class End { None, Done, Failed };

    CommandReply Run(const CommandRequest& r);
    CommandReply TestUnitReady(const CommandRequest& r);
    CommandReply Inquiry(const CommandRequest& r);
    CommandReply RequestSense(const CommandRequest& r);
    CommandReply Vendor(const CommandRequest& r);
    CommandReply WriteMode(const CommandRequest& r);
    CommandReply ReadFlash(const CommandRequest& r);
    CommandReply ReceiveBlock(const CommandRequest& r);
    CommandReply PrepareWrite();
    const CommandFault* FaultFor(int opcode);
    void Settle();  // finishes a flash run whose time is up
    Phase PhaseLocked() const;
    std::vector<uint8_t> InquiryLocked() const;
    bool ReceivedDataFits();
    void WriteIdentificationBlock();
    void LoadFlashFile();
    void LatchIdentification();
    void SaveFlash();
    uint64_t RunLength() const;

    CommandReply Good(uint32_t transferred = 0);
    CommandReply Check(uint8_t key, uint8_t asc, uint8_t ascq);

    const DriveSpec m_spec;
    Clock& m_clock;
    std::mutex m_lock;
    std::vector<uint8_t> m_flash;
    std::string m_flashFileError;
    std::string m_runningRevision;
    bool m_writeMode = false;
    bool m_lockReleased = false;
    std::vector<uint8_t> m_received;
    bool m_receivedOverflow = false;
    std::vector<uint8_t> m_image;  // what a run under way writes
    bool m_running = false;
    uint64_t m_runStart = 0;
    Phase m_failAt = Phase::None;
    End m_end = End::None;
    uint8_t m_endAsc = 0;
    std::array<uint8_t, 18> m_lastSense{};
    std::vector<int> m_faultCounts;
    std::vector<CommandRecord> m_log;
    int m_powerCycles = 0;
};

}  // namespace machine::sim
