// Reading a machine description: INI-like sections, one "key = value" per line.
#include <algorithm>
#include <cctype>
#include <map>
#include <sstream>

#include "machine/sim/description.h"
#include "machine/sim/text_values.h"

namespace machine::sim {
namespace {

class Parser {
  public:
    Parser(Description& d, std::string& error) : m_d(d), m_error(error) {}

    bool Run(const std::string& text) {
        std::istringstream in(text);
        std::string raw;
        while (std::getline(in, raw)) {
            ++m_line;
            std::string line = Trim(StripComment(raw));
            if (line.empty()) continue;
            bool ok = line[0] == '[' ? Section(line) : KeyValue(line);
            if (!ok) return false;
        }
        return Finish();
    }

  private:
    enum class Kind { None, Machine, Drive, Port, Letter, DosDevice, Aspi, Adapter };

    bool Fail(const std::string& why) {
        m_error = "line " + std::to_string(m_line) + ": " + why;
        return false;
    }

    bool Section(const std::string& line) {
        if (line.back() != ']') return Fail("a section header ends with ']'");
        std::vector<std::string> words = Words(line.substr(1, line.size() - 2));
        if (words.empty()) return Fail("empty section header");
        const std::string kind = Lower(words[0]);
        const std::string arg = words.size() > 1 ? words[1] : std::string();
        if (words.size() > 2) return Fail("too many words in section header");
        auto needArg = [&](const char* what) {
            return arg.empty() ? Fail(std::string("[") + kind + "] needs " + what) : true;
        };
        auto noArg = [&] { return arg.empty() ? true : Fail("[" + kind + "] takes no name"); };
        if (kind == "machine") {
            m_kind = Kind::Machine;
            return noArg();
        }
        if (kind == "aspi") {
            m_kind = Kind::Aspi;
            m_d.aspi.present = true;
            return noArg();
        }
        if (kind == "drive") {
            if (!needArg("a name")) return false;
            for (const DriveSpec& other : m_d.drives)
                if (other.name == arg) return Fail("drive '" + arg + "' is described twice");
            m_kind = Kind::Drive;
            m_d.drives.emplace_back();
            m_d.drives.back().name = arg;
            m_d.drives.back().line = m_line;
            return true;
        }
        if (kind == "port" || kind == "adapter") {
            if (!needArg("a number")) return false;
            uint64_t n;
            if (!ParseNumber(arg, n) || n > 255)
                return Fail("'" + arg + "' is not a number 0 to 255");
            if (kind == "port") {
                if (FindPort(static_cast<int>(n)))
                    return Fail("port " + arg + " is described twice");
                m_kind = Kind::Port;
                m_d.ports.emplace_back();
                m_d.ports.back().number = static_cast<int>(n);
                m_d.ports.back().line = m_line;
            } else {
                for (const AdapterSpec& a : m_d.adapters)
                    if (a.index == static_cast<int>(n))
                        return Fail("adapter " + arg + " is described twice");
                m_kind = Kind::Adapter;
                m_d.adapters.emplace_back();
                m_d.adapters.back().index = static_cast<int>(n);
                m_d.adapters.back().line = m_line;
            }
            return true;
        }
        if (kind == "letter") {
            if (!needArg("a drive letter")) return false;
            char c = LetterOf(arg);
            if (c == 0) return Fail("'" + arg + "' is not a drive letter A to Z");
            if (FindLetter(c)) return Fail(std::string("letter ") + c + " is described twice");
            m_kind = Kind::Letter;
            m_d.letters.emplace_back();
            m_d.letters.back().letter = c;
            m_d.letters.back().line = m_line;
            m_d.dosNames.push_back({std::string(1, c) + ":", "", "", m_line});
            return true;
        }
        if (kind == "dos-device") {
            if (!needArg("a name")) return false;
            if (FindName(arg)) return Fail("MS-DOS name '" + arg + "' is given twice");
            m_kind = Kind::DosDevice;
            m_d.dosNames.push_back({arg, "", "\\Device\\" + arg, m_line});
            return true;
        }
        return Fail("unknown section [" + words[0] + "]");
    }

    bool KeyValue(const std::string& line) {
        size_t eq = line.find('=');
        if (eq == std::string::npos) return Fail("expected 'key = value'");
        std::string key = Lower(Trim(line.substr(0, eq)));
        std::string value;
        std::string why;
        if (!Unquote(Trim(line.substr(eq + 1)), value, why)) return Fail(why);
        if (key.empty()) return Fail("a key is missing before '='");
        switch (m_kind) {
            case Kind::None:
                return Fail("'" + key + "' comes before any section");
            case Kind::Machine:
                return MachineKey(key, value);
            case Kind::Drive:
                return DriveKey(m_d.drives.back(), key, value);
            case Kind::Port:
                return PortKey(m_d.ports.back(), key, value);
            case Kind::Letter:
                return LetterKey(m_d.letters.back(), key, value);
            case Kind::DosDevice:
                return DosDeviceKey(m_d.dosNames.back(), key, value);
            case Kind::Aspi:
                return AspiKey(key, value);
            case Kind::Adapter:
                return AdapterKey(m_d.adapters.back(), key, value);
        }
        return false;
    }

    bool Unknown(const std::string& key, const char* section) {
        return Fail("unknown key '" + key + "' in [" + section + "]");
    }

    bool Number(const std::string& key, const std::string& value, uint64_t max, uint64_t& out) {
        if (!ParseNumber(value, out) || out > max)
            return Fail(key + ": '" + value + "' is not a number up to " + std::to_string(max));
        return true;
    }

    template <class T>
    bool NumberInto(const std::string& key, const std::string& value, uint64_t max, T& out) {
        uint64_t n;
        if (!Number(key, value, max, n)) return false;
        out = static_cast<T>(n);
        return true;
    }

    bool Flag(const std::string& key, const std::string& value, bool& out) {
        if (!ParseBool(value, out)) return Fail(key + ": '" + value + "' is not yes or no");
        return true;
    }

    bool Error(const std::string& key, const std::string& value, DWORD& out) {
        if (!ParseErrorCode(value, out))
            return Fail(key + ": '" + value + "' is not an error code");
        return true;
    }

    bool Hex(const std::string& key, const std::string& value, std::vector<uint8_t>& out) {
        if (!ParseHexBytes(value, out)) return Fail(key + ": '" + value + "' is not hex bytes");
        return true;
    }

    bool MachineKey(const std::string& key, const std::string& value) {
        if (key == "platform") {
            if (Lower(value) == "fail") {
                m_d.versionFails = true;
                return true;
            }
            return NumberInto(key, value, 0xFFFFFFFFu, m_d.platformId);
        }
        if (key == "version") {
            std::vector<std::string> parts = Split(value, '.');
            uint64_t n[3] = {0, 0, 0};
            if (parts.size() != 3) return Fail("version: expected major.minor.build");
            for (int i = 0; i < 3; ++i)
                if (!Number(key, parts[i], 0xFFFFFFFFu, n[i])) return false;
            m_d.versionGiven = true;
            m_d.major = static_cast<DWORD>(n[0]);
            m_d.minor = static_cast<DWORD>(n[1]);
            m_d.build = static_cast<DWORD>(n[2]);
            return true;
        }
        if (key == "service-pack") {
            if (value.size() > 127) return Fail("service-pack: at most 127 characters");
            m_d.servicePack = value;
            return true;
        }
        if (key == "clock") {
            std::string v = Lower(value);
            if (v != "real" && v != "virtual") return Fail("clock: real or virtual");
            m_d.virtualClock = v == "virtual";
            return true;
        }
        if (key == "program") {
            if (value.empty()) return Fail("program: a path is needed");
            m_d.program = value;
            return true;
        }
        if (key == "power-off") {
            std::string v = Lower(value);
            if (v == "allowed")
                m_d.powerOff = Description::Allowed;
            else if (v == "denied")
                m_d.powerOff = Description::Denied;
            else if (v == "fails")
                m_d.powerOff = Description::Fails;
            else
                return Fail("power-off: allowed, denied or fails");
            return true;
        }
        if (key == "fault") return MachineFaultValue(value);
        return Unknown(key, "machine");
    }

    // "create-event [ERROR] [nth N | from N]" or "wait [nth N | from N]"
    bool MachineFaultValue(const std::string& value) {
        std::vector<std::string> w = Words(value);
        if (w.empty()) return Fail("fault: what fails?");
        MachineFault f;
        size_t i = 1;
        std::string what = Lower(w[0]);
        if (what == "create-event") {
            if (i < w.size() && !IsOccurrenceWord(w[i])) {
                if (!Error("fault", w[i], f.error)) return false;
                ++i;
            }
        } else if (what != "wait") {
            return Fail("fault: create-event or wait, not '" + w[0] + "'");
        }
        if (!OccurrenceFrom(w, i, f.when)) return false;
        if (i != w.size()) return Fail("fault: unexpected '" + w[i] + "'");
        (what == "wait" ? m_d.waitFaults : m_d.createEventFaults).push_back(f);
        return true;
    }

    static bool IsOccurrenceWord(const std::string& w) {
        std::string l = Lower(w);
        return l == "nth" || l == "from";
    }

    bool OccurrenceFrom(const std::vector<std::string>& w, size_t& i, Occurrence& out) {
        if (i >= w.size() || !IsOccurrenceWord(w[i])) return true;
        out.kind = Lower(w[i]) == "nth" ? Occurrence::Only : Occurrence::From;
        if (i + 1 >= w.size()) return Fail(w[i] + " needs a count");
        uint64_t n;
        if (!ParseNumber(w[i + 1], n) || n == 0 || n > 1000000000)
            return Fail(w[i] + ": '" + w[i + 1] + "' is not a count from 1");
        out.n = static_cast<int>(n);
        i += 2;
        return true;
    }

    bool Address(const std::string& key, const std::string& value,
                 const std::vector<std::string>& parts, std::vector<int*> fields) {
        std::vector<std::string> w = Words(value);
        if (w.size() % 2 != 0) return Fail(key + ": expected pairs like '" + parts[0] + " 0'");
        for (size_t i = 0; i < w.size(); i += 2) {
            auto it = std::find(parts.begin(), parts.end(), Lower(w[i]));
            if (it == parts.end()) return Fail(key + ": unknown part '" + w[i] + "'");
            uint64_t n;
            if (!Number(key, w[i + 1], 255, n)) return false;
            *fields[static_cast<size_t>(it - parts.begin())] = static_cast<int>(n);
        }
        return true;
    }

    bool DriveKey(DriveSpec& s, const std::string& key, const std::string& value) {
        if (key == "form") {
            std::string v = Lower(value);
            if (v != "atapi" && v != "scsi") return Fail("form: atapi or scsi");
            s.atapi = v == "atapi";
            return true;
        }
        if (key == "device-type") return NumberInto(key, value, 31, s.deviceType);
        if (key == "rmb" || key == "removable") return Flag(key, value, s.rmb);
        if (key == "ansi") return NumberInto(key, value, 7, s.ansi);
        if (key == "vendor") return Text(key, value, 8, s.vendor);
        if (key == "model" || key == "product") return Text(key, value, 16, s.model);
        if (key == "revision") return Text(key, value, 4, s.revision);
        if (key == "inquiry") {
            s.rawInquiry = true;
            if (!Hex(key, value, s.inquiry)) return false;
            if (s.inquiry.empty() || s.inquiry.size() > 255) return Fail("inquiry: 1 to 255 bytes");
            return true;
        }
        if (key == "inquiry-length") {
            if (!NumberInto(key, value, 255, s.inquiryLength)) return false;
            if (s.inquiryLength < 36)
                return Fail("inquiry-length: at least 36 (use inquiry = for fewer)");
            return true;
        }
        if (key == "protocol") {
            std::string v = Lower(value);
            if (v != "flash" && v != "none") return Fail("protocol: flash or none");
            s.flashProtocol = v == "flash";
            return true;
        }
        if (key == "type-code") {
            if (value.size() != 6) return Fail("type-code: exactly six characters");
            s.typeCode = value;
            return true;
        }
        if (key == "type-code-offset") return NumberInto(key, value, 0xFFFFFFFu, s.typeCodeOffset);
        if (key == "flash-size") {
            if (!NumberInto(key, value, 0x4000000u, s.flashSize)) return false;
            if (s.flashSize == 0) return Fail("flash-size: more than 0");
            return true;
        }
        if (key == "flash-file") {
            if (value.empty()) return Fail("flash-file: a path is needed");
            s.flashFile =
                value[0] == '/' || m_d.baseDir.empty() ? value : m_d.baseDir + "/" + value;
            return true;
        }
        static const char* const kPhaseKeys[] = {"checking-ms", "erasing-ms", "writing-ms",
                                                 "verifying-ms"};
        for (int p = 0; p < 4; ++p)
            if (key == kPhaseKeys[p]) return NumberInto(key, value, 86400000u, s.phaseMs[p]);
        if (key == "phase-ms") {
            uint32_t ms;
            if (!NumberInto(key, value, 86400000u, ms)) return false;
            std::fill(std::begin(s.phaseMs), std::end(s.phaseMs), ms);
            return true;
        }
        if (key == "outside-write-mode") {
            std::string v = Lower(value);
            if (v != "accept" && v != "refuse") return Fail("outside-write-mode: accept or refuse");
            s.refuseOutsideWriteMode = v == "refuse";
            return true;
        }
        if (key == "wrong-form") {
            std::string v = Lower(value);
            if (v != "accept" && v != "refuse") return Fail("wrong-form: accept or refuse");
            s.acceptWrongForm = v == "accept";
            return true;
        }
        if (key == "medium") {
            std::string v = Lower(value);
            if (v != "present" && v != "absent") return Fail("medium: present or absent");
            s.mediumPresent = v == "present";
            return true;
        }
        if (key == "nt") {
            s.onPort = true;
            return Address(key, value, {"port", "bus", "target", "lun"},
                           {&s.nt.port, &s.nt.bus, &s.nt.target, &s.nt.lun});
        }
        if (key == "aspi") {
            s.onAspi = true;
            return Address(key, value, {"adapter", "target", "lun"},
                           {&s.aspi.adapter, &s.aspi.target, &s.aspi.lun});
        }
        if (key == "claimed") return Flag(key, value, s.claimed);
        if (key == "names") {
            for (const std::string& n : Words(value)) {
                if (FindName(n)) return Fail("MS-DOS name '" + n + "' is given twice");
                s.names.push_back(n);
                m_d.dosNames.push_back({n, s.name, "\\Device\\" + n, m_line});
            }
            return true;
        }
        if (key == "letter") {
            char c = LetterOf(value);
            if (c == 0) return Fail("letter: '" + value + "' is not a drive letter A to Z");
            if (FindLetter(c)) return Fail(std::string("letter ") + c + " is described twice");
            s.letter = c;
            m_d.letters.push_back({c, DRIVE_CDROM, s.name, "", m_line});
            m_d.dosNames.push_back({std::string(1, c) + ":", s.name, "", m_line});
            return true;
        }
        if (key == "scsi1") return Flag(key, value, s.scsi1);
        if (key == "aspi-device-type") return NumberInto(key, value, 31, s.aspiDeviceType);
        if (key == "completion") return Completion(s, value);
        if (key == "completion-delay-ms") return NumberInto(key, value, 86400000u, s.asyncDelayMs);
        if (key == "fault") return DriveFault(s, value);
        return Unknown(key, "drive");
    }

    bool Text(const std::string& key, const std::string& value, size_t max, std::string& out) {
        if (value.size() > max)
            return Fail(key + ": at most " + std::to_string(max) + " characters");
        for (unsigned char c : value)
            if (c < 0x20 || c > 0x7E) return Fail(key + ": printable ASCII only");
        out = value;
        return true;
    }

    bool Completion(DriveSpec& s, const std::string& value) {
        std::vector<std::string> w = Words(value);
        if (w.empty()) return Fail("completion: sync or async");
        std::string mode = Lower(w[0]);
        s.asyncAll = false;
        s.asyncOpcodes.clear();
        if (mode == "sync")
            return w.size() == 1 ? true : Fail("completion: sync takes nothing more");
        if (mode != "async") return Fail("completion: sync or async");
        if (w.size() == 1) s.asyncAll = true;
        for (size_t i = 1; i < w.size(); ++i) {
            int op;
            if (!Opcode(w[i], op) || op < 0)
                return Fail("completion: '" + w[i] + "' is not an operation code");
            s.asyncOpcodes.insert(op);
        }
        return true;
    }

    static bool Opcode(const std::string& word, int& out) {
        if (Lower(word) == "any") {
            out = -1;
            return true;
        }
        uint64_t n;
        std::string w = word;
        if (w.size() <= 2 && ParseNumber("0x" + w, n)) {  // "E2" or "0": hexadecimal
            out = static_cast<int>(n);
            return true;
        }
        if (!ParseNumber(w, n) || n > 255) return false;
        out = static_cast<int>(n);
        return true;
    }

    bool Sense(const std::string& word, CommandFault& f) {
        std::vector<std::string> parts = Split(word, '/');
        uint64_t v[3] = {0, 0, 0};
        if (parts.size() < 1 || parts.size() > 3) return Fail("sense: KEY/ASC/ASCQ in hexadecimal");
        for (size_t i = 0; i < parts.size(); ++i)
            if (!ParseNumber("0x" + parts[i], v[i]) || v[i] > (i == 0 ? 15u : 255u))
                return Fail("sense: '" + word + "' is not KEY/ASC/ASCQ in hexadecimal");
        f.senseKey = static_cast<uint8_t>(v[0]);
        f.asc = static_cast<uint8_t>(v[1]);
        f.ascq = static_cast<uint8_t>(v[2]);
        return true;
    }

    bool DriveFault(DriveSpec& s, const std::string& value) {
        std::vector<std::string> w = Words(value);
        if (w.empty()) return Fail("fault: what fails?");
        std::string what = Lower(w[0]);
        if (what == "open") {
            if (w.size() < 2 || w.size() > 3) return Fail("fault: open ERROR [write]");
            if (!Error("fault", w[1], s.openError)) return false;
            if (w.size() == 3 && Lower(w[2]) != "write") return Fail("fault: open ERROR [write]");
            s.openErrorOnlyForWrite = w.size() == 3;
            return true;
        }
        if (what == "ioctl" || what == "address") {
            if (w.size() != 2) return Fail("fault: " + what + " ERROR");
            return Error("fault", w[1], what == "ioctl" ? s.ioctlError : s.addressError);
        }
        if (what == "phase") {
            static const char* const kPhases[] = {"checking", "erasing", "writing", "verifying"};
            for (int p = 0; p < 4; ++p)
                if (w.size() == 2 && Lower(w[1]) == kPhases[p]) {
                    s.failingPhase = static_cast<Phase>(p);
                    return true;
                }
            return Fail("fault: phase checking, erasing, writing or verifying");
        }
        if (what != "command")
            return Fail("fault: open, ioctl, address, phase or command, not '" + w[0] + "'");
        CommandFault f;
        if (w.size() < 3 || !Opcode(w[1], f.opcode))
            return Fail("fault: command OPCODE|any RESULT [nth N | from N]");
        size_t i = 2;
        std::string result = Lower(w[i]);
        if (result == "no-answer") {
            f.kind = CommandFault::NoAnswer;
            ++i;
        } else if (result == "sense") {
            if (i + 1 >= w.size() || !Sense(w[i + 1], f))
                return i + 1 >= w.size() ? Fail("sense needs KEY/ASC/ASCQ") : false;
            i += 2;
        } else if (result == "status") {
            if (i + 1 >= w.size() || !NumberInto("status", w[i + 1], 255, f.status))
                return i + 1 >= w.size() ? Fail("status needs a value") : false;
            i += 2;
            if (i < w.size() && Lower(w[i]) == "sense") {
                if (i + 1 >= w.size()) return Fail("sense needs KEY/ASC/ASCQ");
                if (!Sense(w[i + 1], f)) return false;
                i += 2;
            }
        } else if (result == "hastat") {
            f.kind = CommandFault::HostStatus;
            if (i + 1 >= w.size() || !NumberInto("hastat", w[i + 1], 255, f.hostStatus))
                return i + 1 >= w.size() ? Fail("hastat needs a value") : false;
            if (f.hostStatus == 0) return Fail("hastat: 0 is no failure");
            i += 2;
        } else if (result == "ioctl") {
            f.kind = CommandFault::IoError;
            if (i + 1 >= w.size()) return Fail("ioctl needs an error code");
            if (!Error("ioctl", w[i + 1], f.ioError)) return false;
            if (f.ioError == 0) return Fail("ioctl: 0 is no failure");
            i += 2;
        } else {
            return Fail("fault: result is status, sense, hastat, ioctl or no-answer, not '" + w[i] +
                        "'");
        }
        if (!OccurrenceFrom(w, i, f.when)) return false;
        if (i != w.size()) return Fail("fault: unexpected '" + w[i] + "'");
        s.commandFaults.push_back(f);
        return true;
    }

    bool PortKey(PortSpec& p, const std::string& key, const std::string& value) {
        if (key == "buses") {
            if (!NumberInto(key, value, 255, p.buses)) return false;
            return p.buses == 0 ? Fail("buses: at least 1") : true;
        }
        if (key == "initiator") return NumberInto(key, value, 255, p.initiator);
        if (key == "bus-info") {
            p.rawBusInfo = true;
            return Hex(key, value, p.busInfo);
        }
        if (key == "fault") {
            std::vector<std::string> w = Words(value);
            if (w.size() != 2) return Fail("fault: open ERROR or inquiry-data ERROR");
            std::string what = Lower(w[0]);
            if (what == "open") return Error("fault", w[1], p.openError);
            if (what == "inquiry-data") return Error("fault", w[1], p.inquiryDataError);
            return Fail("fault: open ERROR or inquiry-data ERROR");
        }
        return Unknown(key, "port");
    }

    bool LetterKey(LetterSpec& l, const std::string& key, const std::string& value) {
        if (key == "type") {
            static const std::map<std::string, UINT> kTypes = {
                {"unknown", DRIVE_UNKNOWN},     {"no-root", DRIVE_NO_ROOT_DIR},
                {"removable", DRIVE_REMOVABLE}, {"fixed", DRIVE_FIXED},
                {"remote", DRIVE_REMOTE},       {"cdrom", DRIVE_CDROM},
                {"ramdisk", DRIVE_RAMDISK}};
            auto it = kTypes.find(Lower(value));
            if (it != kTypes.end()) {
                l.type = it->second;
                return true;
            }
            return NumberInto(key, value, 0xFFFFFFFFu, l.type);
        }
        if (key == "drive") {
            l.drive = value;
            l.line = m_line;
            for (DosNameSpec& n : m_d.dosNames)
                if (n.name == std::string(1, l.letter) + ":") n.drive = value;
            return true;
        }
        if (key == "target") {
            l.target = value;
            return true;
        }
        return Unknown(key, "letter");
    }

    bool DosDeviceKey(DosNameSpec& n, const std::string& key, const std::string& value) {
        if (key == "target") {
            n.target = value;
            return true;
        }
        if (key == "drive") {
            n.drive = value;
            n.line = m_line;
            return true;
        }
        return Unknown(key, "dos-device");
    }

    bool AspiKey(const std::string& key, const std::string& value) {
        AspiSpec& a = m_d.aspi;
        if (key == "entry-points") {
            std::string v = Lower(value);
            a.hasSupportInfo = v == "both" || v == "getaspi32supportinfo";
            a.hasSendCommand = v == "both" || v == "sendaspi32command";
            if (v != "none" && !a.hasSupportInfo && !a.hasSendCommand)
                return Fail("entry-points: both, none, GetASPI32SupportInfo or SendASPI32Command");
            return true;
        }
        if (key == "adapters") return NumberInto(key, value, 255, a.adapterCount);
        if (key == "support-info") {
            a.rawSupportInfo = true;
            return NumberInto(key, value, 0xFFFFFFFFu, a.supportInfo);
        }
        if (key == "path") {
            a.path = value;
            return true;
        }
        return Unknown(key, "aspi");
    }

    bool AdapterKey(AdapterSpec& a, const std::string& key, const std::string& value) {
        if (key == "scsi-id") return NumberInto(key, value, 255, a.scsiId);
        if (key == "manager") return Text(key, value, 16, a.manager);
        if (key == "identifier") return Text(key, value, 16, a.identifier);
        if (key == "max-targets") return NumberInto(key, value, 255, a.maxTargets);
        if (key == "inquiry") {
            std::string v = Lower(value);
            if (v != "answers" && v != "fails") return Fail("inquiry: answers or fails");
            a.answers = v == "answers";
            return true;
        }
        return Unknown(key, "adapter");
    }

    // Checks that need the whole text: references between sections.
    bool Finish() {
        for (const LetterSpec& l : m_d.letters)
            if (!l.drive.empty() && !FindDrive(l.drive)) {
                m_line = l.line;
                return Fail(std::string("letter ") + l.letter + " names drive '" + l.drive +
                            "', which is not described");
            }
        for (const DosNameSpec& n : m_d.dosNames)
            if (!n.drive.empty() && !FindDrive(n.drive)) {
                m_line = n.line;
                return Fail("MS-DOS name '" + n.name + "' names drive '" + n.drive +
                            "', which is not described");
            }
        for (size_t i = 0; i < m_d.drives.size(); ++i) {
            const DriveSpec& a = m_d.drives[i];
            if (a.flashProtocol && static_cast<uint64_t>(a.typeCodeOffset) + 36 > a.flashSize) {
                m_line = a.line;
                return Fail("drive '" + a.name +
                            "': its identification block does not fit its flash");
            }
            for (size_t j = 0; j < i; ++j) {
                const DriveSpec& b = m_d.drives[j];
                bool samePort = a.onPort && b.onPort && a.nt.port == b.nt.port &&
                                a.nt.bus == b.nt.bus && a.nt.target == b.nt.target &&
                                a.nt.lun == b.nt.lun;
                bool sameAspi = a.onAspi && b.onAspi && a.aspi.adapter == b.aspi.adapter &&
                                a.aspi.target == b.aspi.target && a.aspi.lun == b.aspi.lun;
                if (samePort || sameAspi) {
                    m_line = a.line;
                    return Fail("drives '" + b.name + "' and '" + a.name +
                                "' have the same address");
                }
            }
        }
        return true;
    }

    const DriveSpec* FindDrive(const std::string& name) const {
        for (const DriveSpec& d : m_d.drives)
            if (d.name == name) return &d;
        return nullptr;
    }
    const PortSpec* FindPort(int n) const {
        for (const PortSpec& p : m_d.ports)
            if (p.number == n) return &p;
        return nullptr;
    }
    const LetterSpec* FindLetter(char c) const {
        for (const LetterSpec& l : m_d.letters)
            if (l.letter == c) return &l;
        return nullptr;
    }
    const DosNameSpec* FindName(const std::string& name) const {
        for (const DosNameSpec& n : m_d.dosNames)
            if (Lower(n.name) == Lower(name)) return &n;
        return nullptr;
    }
    static char LetterOf(const std::string& s) {
        std::string t = s;
        if (t.size() == 2 && t[1] == ':') t.pop_back();
        if (t.size() != 1 || !std::isalpha(static_cast<unsigned char>(t[0]))) return 0;
        return static_cast<char>(std::toupper(static_cast<unsigned char>(t[0])));
    }

    Description& m_d;
    std::string& m_error;
    int m_line = 0;
    Kind m_kind = Kind::None;
};

}  // namespace

bool ParseDescription(const std::string& text, const std::string& baseDir, Description& out,
                      std::string& error) {
    Description d;
    d.baseDir = baseDir;
    if (!Parser(d, error).Run(text)) return false;
    out = std::move(d);
    return true;
}

}  // namespace machine::sim
