#include "frontend/terminal/focus_order.h"

#include <gtest/gtest.h>

#include <vector>

#include "framework/afxwin.h"
#include "res/resource.h"
#include "tests/frontend/scripted_user.h"

namespace frontend {
namespace {

// The access keys of the program's own dialog templates lead where a person expects: a
// group box's key to the control in its frame, a label's to the control after it.
TEST(FocusOrderTest, AccessKeysOfTheTemplatesLeadToTheirControls) {
    struct Case {
        UINT dialog;
        char32_t key;
        int target;  // 0: none
    } cases[] = {
        {IDD_CDRWUPDATE_DIALOG, U'T', IDC_DRIVE_LIST},
        {IDD_CDRWUPDATE_DIALOG, U'F', IDC_IMAGE_LIST},
        {IDD_CDRWUPDATE_DIALOG, U'X', 0},
        {IDD_PARAM_LIST, U'P', IDC_PARAM_LIST},
        {IDD_PARAM_LIST, U'A', IDC_PARAM_ADD},
        {IDD_PARAM_LIST, U'E', IDC_PARAM_EDIT},
        {IDD_PARAM_LIST, U'D', IDC_PARAM_DELETE},
        {IDD_PARAM_EDIT, U'P', IDC_PRODUCT_NAME},
        {IDD_PARAM_EDIT, U'M', IDC_MODEL_NAME},
        {IDD_PARAM_EDIT, U'T', IDC_TYPE_CODE_CHECK},
        {IDD_PARAM_EDIT, U'O', IDC_OFFSET},
        {IDD_PARAM_EDIT, U'I', IDC_SCSI},  // no button checked: the first in the frame
        {IDD_PARAM_EDIT, U'S', IDC_SCSI},
        {IDD_PARAM_EDIT, U'A', IDC_ATAPI},
    };
    for (const auto& c : cases) {
        testing::ScriptedUser user;
        int target = -1;
        user.Then([&](afx::Window& top) {
            const afx::Window* found = MnemonicTarget(top, c.key);
            target = found != nullptr ? found->id : 0;
        });
        CDialog dlg(c.dialog);
        dlg.DoModal();
        EXPECT_EQ(target, c.target) << c.dialog << " " << static_cast<char>(c.key);
    }
}

TEST(FocusOrderTest, DisabledControlsAreSkippedBothWays) {
    testing::ScriptedUser user;
    std::vector<int> forward, backward;
    user.Then([&](afx::Window& top) {
        top.Control(IDC_IMAGE_LIST)->enabled = false;  // as while an update runs
        top.Control(IDC_DRIVE_LIST)->enabled = false;
        top.Control(IDC_START)->enabled = false;
        const afx::Window* at = nullptr;
        for (int i = 0; i < 3; ++i) {
            at = NextTabStop(top, at, true);
            forward.push_back(at != nullptr ? at->id : 0);
        }
        top.Control(IDC_DRIVE_LIST)->enabled = true;
        at = top.Control(IDOK);
        for (int i = 0; i < 2; ++i) {
            at = NextTabStop(top, at, false);
            backward.push_back(at != nullptr ? at->id : 0);
        }
    });
    CDialog dlg(IDD_CDRWUPDATE_DIALOG);
    dlg.DoModal();
    EXPECT_EQ(forward, (std::vector<int>{IDOK, IDOK, IDOK}));
    EXPECT_EQ(backward, (std::vector<int>{IDC_DRIVE_LIST, IDOK}));
}

}  // namespace
}  // namespace frontend
