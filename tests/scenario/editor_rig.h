// The parameter editor on a parameter file of a test's own, with a test acting as its user.
#pragma once

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "framework/headless.h"
#include "params/param_file.h"
#include "params/param_list_dlg.h"
#include "tests/app/world.h"

namespace apptest {

// Three entries as the program writes them: ATAPI with the type code at 4, ATAPI at 0x20004,
// SCSI without a type code.
constexpr char kThreeSections[] =
    "[NXB-A]\nMODELNAME=CD-R/RW KP2140A\nATAPI=TRUE\nTC_ENABLE=TRUE\nTC_OFFSET=4\n"
    "[NXB-B]\nMODELNAME=CD-R/RW KP2163A\nATAPI=TRUE\nTC_ENABLE=TRUE\nTC_OFFSET=20004\n"
    "[NXB-S]\nMODELNAME=CD-R/RW KP2140S\nATAPI=FALSE\nTC_ENABLE=FALSE\nTC_OFFSET=4\n";

class EditorRig {
  public:
    // Edits `name` in the test's folder; the file is written first unless `text` is null.
    EditorRig(World& world, const char* text, const std::string& name = "drives.ini")
        : path(text != nullptr ? world.dir.Write(name, std::string(text)) : world.dir.File(name)),
          sim(world.Machine("")),
          dlg(path.c_str()) {
        App();
        user.Start([this] { return dlg.DoModal(); });
    }

    std::vector<CString> Names() const { return user.ItemTexts(IDC_PARAM_LIST); }
    // The entries the file holds now.
    std::vector<DriveParam> FileEntries() const {
        CParamFile file(path);
        CDriveParamList list;
        file.Load(list);
        return std::vector<DriveParam>(list.begin(), list.end());
    }
    std::string FileText() const {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    const std::string path;
    testsupport::SimMachineScope sim;
    CParamListDlg dlg;
    afx::HeadlessUser user;
};

}  // namespace apptest
