#include "machine/sim/drive.h"

#include <algorithm>
#include <cstring>
#include <fstream>

namespace machine::sim {
namespace {

const uint8_t kGood = 0x00;
const uint8_t kCheckCondition = 0x02;

uint32_t BigEndian(const uint8_t* p, int bytes) {
    uint32_t v = 0;
    for (int i = 0; i < bytes; ++i) v = (v << 8) | p[i];
    return v;
}

// The natural data direction of each command the drive knows.
Direction NaturalDirection(uint8_t opcode) {
    switch (opcode) {
        case 0x12:
        case 0x03:
        case 0xE3:
            return Direction::In;
        case 0xE2:
            return Direction::Out;
        default:
            return Direction::None;
    }
}

void PutText(std::vector<uint8_t>& to, int64_t at, const std::string& text, size_t width) {
    for (size_t i = 0; i < width; ++i) {
        int64_t p = at + static_cast<int64_t>(i);
        if (p < 0 || p >= static_cast<int64_t>(to.size())) continue;
        to[static_cast<size_t>(p)] = static_cast<uint8_t>(i < text.size() ? text[i] : ' ');
    }
}

}  // namespace

Drive::Drive(const DriveSpec& spec, Clock& clock) : m_spec(spec), m_clock(clock) {
    m_faultCounts.assign(m_spec.commandFaults.size(), 0);
    if (m_spec.flashProtocol) {
        m_flash.assign(m_spec.flashSize, 0xFF);  // erased
        WriteIdentificationBlock();
        if (!m_spec.flashFile.empty()) LoadFlashFile();
    }
    LatchIdentification();
}

// The configured firmware's identification block, at the type-code offset - 4.
void Drive::WriteIdentificationBlock() {
    int64_t block = static_cast<int64_t>(m_spec.typeCodeOffset) - 4;
    auto zero = [&](int64_t at) {
        if (block + at >= 0) m_flash[static_cast<size_t>(block + at)] = 0;
    };
    for (int64_t i = 0; i < 4; ++i) zero(i);
    PutText(m_flash, block + 4, m_spec.typeCode, 6);
    PutText(m_flash, block + 10, m_spec.vendor, 8);
    zero(18);
    PutText(m_flash, block + 19, m_spec.model, 16);
    zero(35);
    PutText(m_flash, block + 36, m_spec.revision, 4);
}

// A kept flash replaces the configured one; a missing file starts as the configured one.
void Drive::LoadFlashFile() {
    std::ifstream in(m_spec.flashFile, std::ios::binary);
    if (!in) {
        SaveFlash();
        return;
    }
    std::vector<uint8_t> kept((std::istreambuf_iterator<char>(in)),
                              std::istreambuf_iterator<char>());
    if (kept.size() == m_flash.size()) {
        m_flash = std::move(kept);
        return;
    }
    m_flashFileError = "flash file " + m_spec.flashFile + " holds " + std::to_string(kept.size()) +
                       " bytes, not " + std::to_string(m_flash.size());
}

void Drive::LatchIdentification() {
    m_runningRevision = m_spec.revision;
    if (!m_spec.flashProtocol) return;
    size_t at = static_cast<size_t>(m_spec.typeCodeOffset) + 32;  // block start + 36
    if (at + 4 <= m_flash.size())
        m_runningRevision.assign(m_flash.begin() + at, m_flash.begin() + at + 4);
}

void Drive::SaveFlash() {
    if (m_spec.flashFile.empty()) return;
    std::ofstream out(m_spec.flashFile, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(m_flash.data()),
              static_cast<std::streamsize>(m_flash.size()));
    if (!out) m_flashFileError = "cannot write flash file " + m_spec.flashFile;
}

std::vector<uint8_t> Drive::InquiryData() {
    std::lock_guard<std::mutex> hold(m_lock);
    return InquiryLocked();
}

std::vector<uint8_t> Drive::InquiryLocked() const {
    if (m_spec.rawInquiry) return m_spec.inquiry;
    std::vector<uint8_t> d(m_spec.inquiryLength, 0);
    d[0] = static_cast<uint8_t>(m_spec.deviceType & 0x1F);
    d[1] = m_spec.rmb ? 0x80 : 0x00;
    d[2] = static_cast<uint8_t>(m_spec.ansi >= 0 ? m_spec.ansi : (m_spec.atapi ? 0 : 2));
    d[3] = 0x02;  // response data format
    d[4] = static_cast<uint8_t>(d.size() - 5);
    PutText(d, 8, m_spec.vendor, 8);
    PutText(d, 16, m_spec.model, 16);
    for (size_t i = 0; i < 4; ++i)
        d[32 + i] = static_cast<uint8_t>(i < m_runningRevision.size() ? m_runningRevision[i] : ' ');
    return d;
}

CommandReply Drive::Good(uint32_t transferred) {
    CommandReply r;
    r.status = kGood;
    r.transferred = transferred;
    return r;
}

CommandReply Drive::Check(uint8_t key, uint8_t asc, uint8_t ascq) {
    CommandReply r;
    r.status = kCheckCondition;
    r.sense[0] = 0x70;
    r.sense[2] = key;
    r.sense[7] = 10;
    r.sense[12] = asc;
    r.sense[13] = ascq;
    r.senseLength = 18;
    return r;
}

const CommandFault* Drive::FaultFor(int opcode) {
    const CommandFault* fired = nullptr;
    for (size_t i = 0; i < m_spec.commandFaults.size(); ++i) {
        const CommandFault& f = m_spec.commandFaults[i];
        if (f.opcode != -1 && f.opcode != opcode) continue;
        int count = ++m_faultCounts[i];
        if (fired == nullptr && f.when.Matches(count)) fired = &f;
    }
    return fired;
}

CommandReply Drive::Execute(const CommandRequest& request) {
    std::lock_guard<std::mutex> hold(m_lock);
    Settle();
    std::array<uint8_t, 16> cdb{};
    size_t cdbLength = std::min<size_t>(request.cdbLength, 16);
    if (request.cdb != nullptr) std::memcpy(cdb.data(), request.cdb, cdbLength);
    CommandRequest r = request;
    r.cdb = cdb.data();
    r.cdbLength = cdbLength;

    CommandRecord record;
    record.via = r.via;
    record.cdb = cdb;
    record.cdbLength = static_cast<uint8_t>(cdbLength);
    record.direction = r.direction;
    record.length = r.length;
    record.srbLun = r.srbLun;
    record.lun = r.lun;
    record.timeMs = m_clock.NowMs();
    bool sendsData = r.direction == Direction::Out || (r.direction == Direction::ByCommand &&
                                                       NaturalDirection(cdb[0]) == Direction::Out);
    if (sendsData && r.data != nullptr) record.dataOut.assign(r.data, r.data + r.length);

    CommandReply reply;
    if (const CommandFault* f = cdbLength == 0 ? nullptr : FaultFor(cdb[0])) {
        record.faulted = true;
        switch (f->kind) {
            case CommandFault::Status:
                reply = f->status == kCheckCondition ? Check(f->senseKey, f->asc, f->ascq) : Good();
                reply.status = f->status;
                break;
            case CommandFault::HostStatus:
                reply.kind = CommandReply::HostFailure;
                reply.hostStatus = f->hostStatus;
                break;
            case CommandFault::IoError:
                reply.kind = CommandReply::IoFailure;
                reply.ioError = f->ioError;
                break;
            case CommandFault::NoAnswer:
                reply.kind = CommandReply::NoAnswer;
                break;
        }
    } else if (cdbLength == 0) {
        reply = Check(5, 0x20, 0);
    } else {
        reply = Run(r);
    }
    record.status = reply.status;
    if (reply.kind == CommandReply::Done && reply.status == kCheckCondition) {
        m_lastSense = reply.sense;
        record.senseKey = reply.sense[2] & 0x0F;
        record.asc = reply.sense[12];
        record.ascq = reply.sense[13];
    }
    m_log.push_back(std::move(record));
    return reply;
}

CommandReply Drive::Run(const CommandRequest& r) {
    uint8_t opcode = r.cdb[0];
    Direction natural = NaturalDirection(opcode);
    // Data that flows against the command's own direction is refused as an invalid field.
    if (r.length > 0 && r.direction != Direction::ByCommand && r.direction != natural &&
        natural != Direction::None)
        return Check(5, 0x24, 0);
    switch (opcode) {
        case 0x00:
            return TestUnitReady(r);
        case 0x12:
            return Inquiry(r);
        case 0x03:
            return RequestSense(r);
        case 0xE0:
        case 0xE1:
        case 0xE2:
        case 0xE3:
        case 0xE4:
            if (m_spec.flashProtocol) return Vendor(r);
            break;
        default:
            break;
    }
    return Check(5, 0x20, 0);  // INVALID COMMAND OPERATION CODE
}

CommandReply Drive::TestUnitReady(const CommandRequest& r) {
    bool vendor = r.cdbLength >= 6 && (r.cdb[5] & 0x80) != 0;
    if (m_running) {
        if (vendor) return Check(2, 0xF7, static_cast<uint8_t>(PhaseLocked()));
        return Check(2, 0x04, 0x07);  // LOGICAL UNIT NOT READY, OPERATION IN PROGRESS
    }
    if (vendor && m_end == End::Done) return Check(2, 0x3A, 0);
    if (vendor && m_end == End::Failed) return Check(4, m_endAsc, 0);
    return m_spec.mediumPresent ? Good() : Check(2, 0x3A, 0);
}

CommandReply Drive::Inquiry(const CommandRequest& r) {
    if (r.cdb[1] & 0x01) return Check(5, 0x24, 0);  // no vital product data pages
    std::vector<uint8_t> data = InquiryLocked();
    uint32_t n = std::min<uint32_t>({r.cdb[4], static_cast<uint32_t>(data.size()), r.length});
    if (r.data == nullptr) n = 0;
    if (n > 0) std::memcpy(r.data, data.data(), n);
    return Good(n);
}

CommandReply Drive::RequestSense(const CommandRequest& r) {
    std::array<uint8_t, 18> sense = m_lastSense;
    if (sense[0] == 0) {
        sense[0] = 0x70;  // NO SENSE
        sense[7] = 10;
    }
    m_lastSense = {};
    uint32_t n = std::min<uint32_t>({r.cdb[4], static_cast<uint32_t>(sense.size()), r.length});
    if (r.data == nullptr) n = 0;
    if (n > 0) std::memcpy(r.data, sense.data(), n);
    return Good(n);
}

CommandReply Drive::Vendor(const CommandRequest& r) {
    uint8_t opcode = r.cdb[0];
    size_t form = m_spec.atapi ? 12 : 10;
    if (r.cdbLength != form && !(m_spec.acceptWrongForm && r.cdbLength >= 10))
        return Check(5, 0x20, 0);
    bool leaving = opcode == 0xE4 && r.cdb[9] != 0x40;
    if (m_running && !leaving) return Check(2, 0x04, 0x07);
    if (opcode != 0xE4 && m_spec.refuseOutsideWriteMode && !m_writeMode)
        return Check(5, 0x2C, 0);  // COMMAND SEQUENCE ERROR
    switch (opcode) {
        case 0xE0:
            m_lockReleased = true;
            return Good();
        case 0xE1:
            return PrepareWrite();
        case 0xE2:
            return ReceiveBlock(r);
        case 0xE3:
            return ReadFlash(r);
        default:
            return WriteMode(r);
    }
}

CommandReply Drive::WriteMode(const CommandRequest& r) {
    // Entering starts a new session; leaving drops what was received. A run under way
    // goes on by itself either way.
    m_writeMode = r.cdb[9] == 0x40;
    m_lockReleased = false;
    m_received.clear();
    m_receivedOverflow = false;
    if (m_writeMode) m_end = End::None;
    return Good();
}

CommandReply Drive::ReadFlash(const CommandRequest& r) {
    uint64_t address = BigEndian(r.cdb + 2, 4);
    uint32_t length = BigEndian(r.cdb + 7, 2);
    if (address + length > m_flash.size()) return Check(5, 0x21, 0);  // out of range
    uint32_t n = std::min(length, r.length);
    if (r.data == nullptr) n = 0;
    if (n > 0) std::memcpy(r.data, m_flash.data() + address, n);
    return Good(n);
}

CommandReply Drive::ReceiveBlock(const CommandRequest& r) {
    uint32_t length = BigEndian(r.cdb + 5, 3);
    if (m_lockReleased) return Check(5, 0x2C, 0);
    if (r.length != length || (length > 0 && r.data == nullptr)) return Check(5, 0x24, 0);
    // Beyond the flash's size nothing more is kept; the check phase then refuses the data.
    if (m_received.size() + length > m_flash.size())
        m_receivedOverflow = true;
    else
        m_received.insert(m_received.end(), r.data, r.data + length);
    return Good(length);
}

CommandReply Drive::PrepareWrite() {
    if (!m_lockReleased) return Check(5, 0x2C, 0);
    m_lockReleased = false;
    m_running = true;
    m_runStart = m_clock.NowMs();
    m_end = End::None;
    m_failAt = ReceivedDataFits() ? m_spec.failingPhase : Phase::Checking;
    m_image = std::move(m_received);
    m_received.clear();
    return Good();
}

bool Drive::ReceivedDataFits() {
    size_t at = m_spec.typeCodeOffset;
    if (m_receivedOverflow || m_received.empty() || m_received.size() > m_flash.size() ||
        m_received.size() < at + 6)
        return false;
    return std::equal(m_received.begin() + static_cast<std::ptrdiff_t>(at),
                      m_received.begin() + static_cast<std::ptrdiff_t>(at + 6),
                      m_flash.begin() + static_cast<std::ptrdiff_t>(at));
}

uint64_t Drive::RunLength() const {
    int last = m_failAt == Phase::None ? 3 : static_cast<int>(m_failAt);
    uint64_t total = 0;
    for (int p = 0; p <= last; ++p) total += m_spec.phaseMs[p];
    return total;
}

Phase Drive::PhaseLocked() const {
    if (!m_running) return Phase::None;
    uint64_t elapsed = m_clock.NowMs() - m_runStart;
    uint64_t end = 0;
    for (int p = 0; p < 4; ++p) {
        end += m_spec.phaseMs[p];
        if (elapsed < end) return static_cast<Phase>(p);
    }
    return Phase::Verifying;
}

void Drive::Settle() {
    if (!m_running || m_clock.NowMs() - m_runStart < RunLength()) return;
    m_running = false;
    static const uint8_t kFailureAsc[] = {0xF5, 0xF1, 0xF2, 0xF4};
    if (m_failAt != Phase::None) {
        m_end = End::Failed;
        m_endAsc = kFailureAsc[static_cast<int>(m_failAt)];
        return;
    }
    std::fill(m_flash.begin(), m_flash.end(), 0xFF);
    std::copy(m_image.begin(), m_image.end(), m_flash.begin());
    m_image.clear();
    m_end = End::Done;
    SaveFlash();
}

void Drive::PowerCycle() {
    std::lock_guard<std::mutex> hold(m_lock);
    Settle();
    m_running = false;  // a run cut short by the power leaves the flash as it was
    m_end = End::None;
    m_writeMode = false;
    m_lockReleased = false;
    m_received.clear();
    m_receivedOverflow = false;
    m_lastSense = {};
    ++m_powerCycles;
    LatchIdentification();
}

std::vector<CommandRecord> Drive::Log() {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_log;
}

void Drive::ClearLog() {
    std::lock_guard<std::mutex> hold(m_lock);
    m_log.clear();
}

std::vector<uint8_t> Drive::Flash() {
    std::lock_guard<std::mutex> hold(m_lock);
    Settle();
    return m_flash;
}

bool Drive::InWriteMode() {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_writeMode;
}

Phase Drive::CurrentPhase() {
    std::lock_guard<std::mutex> hold(m_lock);
    Settle();
    return PhaseLocked();
}

size_t Drive::ReceivedBytes() {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_received.size();
}

std::string Drive::RunningRevision() {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_runningRevision;
}

int Drive::PowerCycles() {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_powerCycles;
}

std::string Drive::FlashFileError() {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_flashFileError;
}

}  // namespace machine::sim
