// The drive parameter file: one INI section per entry, named by the product name, with the
// keys of ParamKeyTable.
#pragma once

#include "params/drive_param.h"
#include "params/profile_file.h"

// The field that a key of a parameter section holds.
enum ParamField {
    kFieldModelName,
    kFieldAtapi,
    kFieldTypeCodeEnable,
    kFieldTypeCodeOffset,
};

struct ParamKeyRow {
    const char* key;
    ParamField field;
};

// The four keys, in the order they are written. Key names are matched exactly, upper case.
constexpr int kParamKeyCount = 4;
extern const ParamKeyRow ParamKeyTable[kParamKeyCount];

class CParamFile : public CProfileFile {
  public:
    explicit CParamFile(const CString& path = CString());
    ~CParamFile() override;

    // Replaces the list's contents by the file's entries, in section order; true when at
    // least one entry was read. A key that a section lacks takes the value a new entry gets
    // in the editor: ATAPI, type code read and checked, at offset 4.
    bool Load(CDriveParamList& list);
    // Replaces the file's contents by the list, in list order; other sections go. All or
    // nothing: the new file is written beside the old one and replaces it only when complete,
    // so a failure leaves the old file as it was. Fails (status 5) for a list that the file
    // cannot hold: two product names that differ only in letter case, a product name that is
    // empty, has blanks around it, a ']' or a line break, or a model name with a line break.
    bool Save(const CDriveParamList& list);
    // Writes one entry as one section; all four keys are attempted even after a failure.
    bool WriteEntry(const DriveParam& param);
    // Removes every section of the file; the status of the last operation.
    int DeleteAllSections();

    // The result of the last operation: 0 success, 1 no work buffer, 5 a write failed.
    int GetStatus() const { return m_status; }

  private:
    CString ValueText(ParamField field, const DriveParam& param) const;

    int m_status;
    CString m_section;
    CString m_key;
    CString m_value;
};
