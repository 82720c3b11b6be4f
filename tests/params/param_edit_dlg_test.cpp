// The edit dialog of one parameter entry: it shows what the caller preset, lets the offset
// be typed only when the type code is read, and hands back whatever was entered.
#include <gtest/gtest.h>

#include "framework/headless.h"
#include "params/param_edit_dlg.h"
#include "res/resource.h"

namespace {

class EditDialog : public ::testing::Test {
  protected:
    void Open(int interface, int typeCodeCheck) {
        dlg.m_productName = "NXB-A";
        dlg.m_modelName = "CD-R/RW KP2140A";
        dlg.m_interface = interface;
        dlg.m_offset = "20004";
        dlg.m_typeCodeCheck = typeCodeCheck;
        user.Start([this] { return dlg.DoModal(); });
    }
    bool OffsetEnabled() const {
        return user.Enabled(IDC_OFFSET_LABEL) && user.Enabled(IDC_OFFSET);
    }
    bool OffsetDisabled() const {
        return !user.Enabled(IDC_OFFSET_LABEL) && !user.Enabled(IDC_OFFSET);
    }

    CParamEditDlg dlg;
    afx::HeadlessUser user;
};

TEST_F(EditDialog, ShowsThePresetValues) {
    Open(0, BST_CHECKED);
    EXPECT_EQ(user.Caption(), "パラメータ編集ダイアログ");
    EXPECT_EQ(user.Text(IDC_PRODUCT_NAME), "NXB-A");
    EXPECT_EQ(user.Text(IDC_MODEL_NAME), "CD-R/RW KP2140A");
    EXPECT_EQ(user.Check(IDC_SCSI), BST_CHECKED);
    EXPECT_EQ(user.Check(IDC_ATAPI), BST_UNCHECKED);
    EXPECT_EQ(user.Text(IDC_OFFSET), "20004");
    EXPECT_TRUE(OffsetEnabled());
}

TEST_F(EditDialog, OffsetFollowsTheCheckBox) {
    Open(1, BST_UNCHECKED);
    EXPECT_TRUE(OffsetDisabled());
    user.Tick(IDC_TYPE_CODE_CHECK, true);
    EXPECT_TRUE(OffsetEnabled());
    user.Type(IDC_OFFSET, "8004");
    user.Tick(IDC_TYPE_CODE_CHECK, false);
    EXPECT_TRUE(OffsetDisabled());
    // A disabled offset keeps its text, and OK hands it back.
    EXPECT_EQ(user.Text(IDC_OFFSET), "8004");
    user.Enter();
    EXPECT_EQ(user.Result(), IDOK);
    EXPECT_EQ(dlg.m_offset, "8004");
    EXPECT_EQ(dlg.m_typeCodeCheck, BST_UNCHECKED);
    EXPECT_EQ(dlg.m_interface, 1);
}

TEST_F(EditDialog, OkAcceptsAnything) {
    Open(1, BST_CHECKED);
    user.Type(IDC_PRODUCT_NAME, "");
    user.Type(IDC_MODEL_NAME, "");
    user.Type(IDC_OFFSET, "not hex");
    user.Click(IDC_SCSI);
    user.Click(IDOK);
    ASSERT_TRUE(user.Finished());
    EXPECT_EQ(user.Result(), IDOK);
    EXPECT_EQ(dlg.m_productName, "");
    EXPECT_EQ(dlg.m_modelName, "");
    EXPECT_EQ(dlg.m_offset, "not hex");
    EXPECT_EQ(dlg.m_interface, 0);
}

// The caller looks at the values only after OK.
TEST_F(EditDialog, CancelEndsWithCancel) {
    Open(1, BST_CHECKED);
    user.Type(IDC_PRODUCT_NAME, "OTHER");
    user.Escape();
    ASSERT_TRUE(user.Finished());
    EXPECT_EQ(user.Result(), IDCANCEL);
    EXPECT_EQ(dlg.m_productName, "NXB-A");
}

}  // namespace
