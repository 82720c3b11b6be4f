#include "params/param_file.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "framework/file.h"
#include "params/parse_hex.h"

const ParamKeyRow ParamKeyTable[kParamKeyCount] = {
    {"MODELNAME", kFieldModelName},
    {"ATAPI", kFieldAtapi},
    {"TC_ENABLE", kFieldTypeCodeEnable},
    {"TC_OFFSET", kFieldTypeCodeOffset},
};

namespace {

const char kFlagTrue[] = "TRUE";
const char kFlagFalse[] = "FALSE";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The profile format drops blanks around a value and one pair of enclosing quotes; a value
// that would lose either is stored inside quotes, so that it reads back unchanged.
CString Quoted(const CString& value) {
    const bool outerBlank = !value.empty() && (IsBlank(value.front()) || IsBlank(value.back()));
    const bool enclosed = value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                          value.back() == value.front();
    return outerBlank || enclosed ? "\"" + value + "\"" : value;
}

bool SameNameIgnoringCase(const CString& a, const CString& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
        if (x != y) {
            return false;
        }
    }
    return true;
}

// Sections are found without regard to letter case, so two such entries would become one.
bool HasNameClash(const CDriveParamList& list) {
    for (auto a = list.begin(); a != list.end(); ++a) {
        for (auto b = list.begin(); b != a; ++b) {
            if (SameNameIgnoringCase(a->productName, b->productName)) {
                return true;
            }
        }
    }
    return false;
}

bool FlushToDisk(const CString& path) {
    CFile file;
    if (!file.Open(path.c_str(), CFile::modeRead)) {
        return false;
    }
    try {
        file.Flush();
    } catch (CFileException* e) {
        e->Delete();
        return false;
    }
    return true;
}

}  // namespace

CParamFile::CParamFile(const CString& path) : CProfileFile(path), m_status(kStatusOk) {}

CParamFile::~CParamFile() = default;

bool CParamFile::Load(CDriveParamList& list) {
    list.clear();
    m_section.clear();
    m_key.clear();
    m_status = kStatusOk;

    CStringList sections;
    m_status = GetSectionNames(sections);
    if (m_status != kStatusOk) {
        return false;
    }
    bool read = false;
    for (const CString& section : sections) {
        m_section = section;
        CStringList keys;
        m_status = GetKeyNames(m_section, keys);
        DriveParam param;
        param.productName = section;
        param.typeCodeOffset = 4;
        param.atapi = 1;
        param.typeCodeEnable = 1;
        for (const CString& key : keys) {
            m_key = key;
            m_status = ReadString(m_section, m_key, m_value);
            for (const ParamKeyRow& row : ParamKeyTable) {
                if (m_key != row.key) {
                    continue;
                }
                switch (row.field) {
                    case kFieldModelName:
                        param.modelName = m_value;
                        break;
                    case kFieldAtapi:
                        param.atapi = m_value == kFlagTrue ? 1 : 0;
                        break;
                    case kFieldTypeCodeEnable:
                        param.typeCodeEnable = m_value == kFlagTrue ? 1 : 0;
                        break;
                    case kFieldTypeCodeOffset:
                        param.typeCodeOffset = ParseHex(m_value);
                        break;
                }
            }
        }
        list.push_back(param);
        read = true;
    }
    return read;
}

CString CParamFile::ValueText(ParamField field, const DriveParam& param) const {
    switch (field) {
        case kFieldModelName:
            return Quoted(param.modelName);
        case kFieldAtapi:
            return param.atapi == 1 ? kFlagTrue : kFlagFalse;
        case kFieldTypeCodeEnable:
            return param.typeCodeEnable == 1 ? kFlagTrue : kFlagFalse;
        case kFieldTypeCodeOffset: {
            char text[16];
            std::snprintf(text, sizeof text, "%lX",
                          static_cast<unsigned long>(param.typeCodeOffset));
            return text;
        }
    }
    return CString();
}

bool CParamFile::WriteEntry(const DriveParam& param) {
    m_section = param.productName;
    m_status = kStatusOk;
    bool ok = true;
    for (const ParamKeyRow& row : ParamKeyTable) {
        m_key = row.key;
        m_value = ValueText(row.field, param);
        if (m_value.empty()) {
            continue;  // an empty model name is left out
        }
        m_status = WriteString(m_section, m_key, m_value);
        if (m_status != kStatusOk) {
            ok = false;
        }
    }
    if (!ok) {
        m_status = kStatusWriteFailed;
    }
    return ok;
}

int CParamFile::DeleteAllSections() {
    CStringList sections;
    m_status = GetSectionNames(sections);
    if (m_status != kStatusOk) {
        return m_status;
    }
    for (const CString& section : sections) {
        m_section = section;
        m_status = DeleteSection(m_section);
        if (m_status != kStatusOk) {
            break;
        }
    }
    return m_status;
}

bool CParamFile::Save(const CDriveParamList& list) {
    namespace fs = std::filesystem;
    m_section.clear();
    m_key.clear();
    m_status = kStatusOk;
    if (HasNameClash(list)) {
        m_status = kStatusWriteFailed;
        return false;
    }

    // Build the new file from a copy of the old one, with the same operations that would
    // change the file in place, then put it in the old one's place in one step.
    std::error_code ec;
    CString target = GetPath();
    if (fs::is_symlink(target, ec)) {
        const fs::path resolved = fs::canonical(target, ec);  // replace the file, not the link
        if (!ec) {
            target = resolved.string();
        }
    }
    const CString draft = target + ".saving";
    const bool existed = fs::exists(target, ec);
    fs::remove(draft, ec);
    if (existed && !fs::copy_file(target, draft, fs::copy_options::overwrite_existing, ec)) {
        m_status = kStatusWriteFailed;
        return false;
    }

    const CString path = GetPath();
    SetPath(draft);
    bool ok = DeleteAllSections() == kStatusOk;
    for (auto it = list.begin(); ok && it != list.end(); ++it) {
        ok = WriteEntry(*it);
    }
    SetPath(path);

    if (ok && fs::exists(draft, ec)) {
        // On disk before it replaces the old file, so that a power loss leaves one of the two.
        ok = FlushToDisk(draft);
        if (ok) {
            fs::rename(draft, target, ec);
            ok = !ec;
        }
        if (!ok) {
            m_status = kStatusWriteFailed;
        }
    }
    // No draft stays behind, whatever happened.
    fs::remove(draft, ec);
    return ok;
}
