// A user edits a parameter file: entries listed with their details, added, edited and
// deleted in memory, and written back only when the user agrees on closing.
#include <gtest/gtest.h>

#include <fstream>

#include "tests/scenario/editor_rig.h"

namespace apptest {
namespace {

const char kListCaption[] = "対象ドライブパラメータ編集ダイアログ";
const char kEditCaption[] = "パラメータ編集ダイアログ";

struct Details {
    CString model, interface, typeCode;
    bool editable;
};

Details Shown(const EditorRig& rig) {
    return {rig.user.Text(IDC_PARAM_MODEL), rig.user.Text(IDC_PARAM_INTERFACE),
            rig.user.Text(IDC_PARAM_TYPE_CODE),
            rig.user.Enabled(IDC_PARAM_EDIT) && rig.user.Enabled(IDC_PARAM_DELETE)};
}

void ExpectDetails(const EditorRig& rig, const Details& expected) {
    const Details shown = Shown(rig);
    EXPECT_EQ(shown.model, expected.model);
    EXPECT_EQ(shown.interface, expected.interface);
    EXPECT_EQ(shown.typeCode, expected.typeCode);
    EXPECT_EQ(shown.editable, expected.editable);
}

// Types into the edit dialog on top and confirms it.
void Enter(afx::HeadlessUser& user, const char* product, const char* model, bool atapi,
           const char* offset, bool typeCode) {
    ASSERT_EQ(user.Caption(), kEditCaption);
    user.Type(IDC_PRODUCT_NAME, product);
    user.Type(IDC_MODEL_NAME, model);
    user.Click(atapi ? IDC_ATAPI : IDC_SCSI);
    user.Tick(IDC_TYPE_CODE_CHECK, true);
    user.Type(IDC_OFFSET, offset);
    user.Tick(IDC_TYPE_CODE_CHECK, typeCode);
    user.Enter();
}

TEST(EditorStory, OpensWithTheEntriesInFileOrder) {
    World world;
    EditorRig rig(world, kThreeSections);
    EXPECT_EQ(rig.user.Caption(), kListCaption);
    EXPECT_EQ(rig.Names(), (std::vector<CString>{"NXB-A", "NXB-B", "NXB-S"}));
    const std::vector<afx::ListItem> items = rig.user.Items(IDC_PARAM_LIST);
    for (size_t i = 0; i < items.size(); ++i) EXPECT_EQ(items[i].data, i);
    EXPECT_EQ(rig.user.Selection(IDC_PARAM_LIST), 0);
    ExpectDetails(rig, {"CD-R/RW KP2140A", "ATAPI", "Type Code Offset = 00004H", true});

    rig.user.Select(IDC_PARAM_LIST, 1);
    ExpectDetails(rig, {"CD-R/RW KP2163A", "ATAPI", "Type Code Offset = 20004H", true});
    rig.user.Select(IDC_PARAM_LIST, 2);
    ExpectDetails(rig, {"CD-R/RW KP2140S", "SCSI", Str(IDS_NO_TYPE_CODE), true});

    // The version item of the system menu works here too.
    EXPECT_EQ(rig.user.SystemMenu().back().id, static_cast<UINT>(IDM_ABOUTBOX));
    rig.user.SysCommand(IDM_ABOUTBOX);
    EXPECT_EQ(rig.user.Caption(), "ﾊﾞｰｼﾞｮﾝ情報");
    rig.user.Enter();
    EXPECT_EQ(rig.user.Caption(), kListCaption);
}

TEST(EditorStory, AddWithThePresetsThenADuplicate) {
    World world;
    EditorRig rig(world, kThreeSections);
    rig.user.Click(IDC_PARAM_ADD);
    ASSERT_EQ(rig.user.Caption(), kEditCaption);
    EXPECT_EQ(rig.user.Text(IDC_PRODUCT_NAME), "NXB-");
    EXPECT_EQ(rig.user.Text(IDC_MODEL_NAME), "CD-R/RW KP");
    EXPECT_EQ(rig.user.Check(IDC_ATAPI), BST_CHECKED);
    EXPECT_EQ(rig.user.Check(IDC_SCSI), BST_UNCHECKED);
    EXPECT_EQ(rig.user.Text(IDC_OFFSET), "4");
    EXPECT_EQ(rig.user.Check(IDC_TYPE_CODE_CHECK), BST_CHECKED);
    EXPECT_TRUE(rig.user.Enabled(IDC_OFFSET));
    rig.user.Enter();

    EXPECT_EQ(rig.Names(), (std::vector<CString>{"NXB-A", "NXB-B", "NXB-S", "NXB-"}));
    EXPECT_EQ(rig.user.Selection(IDC_PARAM_LIST), 3);
    ExpectDetails(rig, {"CD-R/RW KP", "ATAPI", "Type Code Offset = 00004H", true});

    // The same name again: refused; Yes brings back what was typed.
    rig.user.Click(IDC_PARAM_ADD);
    ASSERT_NO_FATAL_FAILURE(Enter(rig.user, "NXB-", "MY MODEL", false, "8004h", true));
    ASSERT_TRUE(rig.user.BoxOpen());
    EXPECT_EQ(rig.user.Box().message,
              "製品名「NXB-」はすでに存在します。\nこの製品名では登録できません。\n設定をやり直しま"
              "すか？");
    EXPECT_EQ(rig.user.Box().text, kListCaption);
    EXPECT_EQ(rig.user.Box().boxType, MB_YESNO | MB_ICONWARNING);
    rig.user.Answer(IDYES);
    ASSERT_EQ(rig.user.Caption(), kEditCaption);
    EXPECT_EQ(rig.user.Text(IDC_PRODUCT_NAME), "NXB-");
    EXPECT_EQ(rig.user.Text(IDC_MODEL_NAME), "MY MODEL");
    EXPECT_EQ(rig.user.Check(IDC_SCSI), BST_CHECKED);
    EXPECT_EQ(rig.user.Text(IDC_OFFSET), "8004h");
    rig.user.Type(IDC_PRODUCT_NAME, "NXB-C");
    rig.user.Enter();
    EXPECT_EQ(rig.Names(), (std::vector<CString>{"NXB-A", "NXB-B", "NXB-S", "NXB-", "NXB-C"}));
    EXPECT_EQ(rig.user.Selection(IDC_PARAM_LIST), 4);
    ExpectDetails(rig, {"MY MODEL", "SCSI", "Type Code Offset = 08004H", true});

    // No gives the change up.
    rig.user.Click(IDC_PARAM_ADD);
    ASSERT_NO_FATAL_FAILURE(Enter(rig.user, "NXB-A", "OTHER", true, "4", true));
    rig.user.Answer(IDNO);
    EXPECT_EQ(rig.user.Caption(), kListCaption);
    EXPECT_EQ(rig.Names().size(), 5u);
    EXPECT_EQ(rig.user.Selection(IDC_PARAM_LIST), 4);
}

TEST(EditorStory, CancelInTheEditDialogChangesNothing) {
    World world;
    EditorRig rig(world, kThreeSections);
    rig.user.Click(IDC_PARAM_EDIT);
    rig.user.Type(IDC_PRODUCT_NAME, "CHANGED");
    rig.user.Click(IDCANCEL);
    EXPECT_EQ(rig.Names(), (std::vector<CString>{"NXB-A", "NXB-B", "NXB-S"}));
    rig.user.Click(IDOK);
    EXPECT_TRUE(rig.user.Finished()) << "no change, no question";
}

TEST(EditorStory, EditKeepsOrChangesTheName) {
    World world;
    EditorRig rig(world, kThreeSections);
    rig.user.Select(IDC_PARAM_LIST, 1);
    rig.user.Click(IDC_PARAM_EDIT);
    // The edit dialog shows the entry.
    EXPECT_EQ(rig.user.Text(IDC_PRODUCT_NAME), "NXB-B");
    EXPECT_EQ(rig.user.Text(IDC_MODEL_NAME), "CD-R/RW KP2163A");
    EXPECT_EQ(rig.user.Check(IDC_ATAPI), BST_CHECKED);
    EXPECT_EQ(rig.user.Text(IDC_OFFSET), "20004");
    EXPECT_EQ(rig.user.Check(IDC_TYPE_CODE_CHECK), BST_CHECKED);
    // Its own name is no duplicate.
    rig.user.Type(IDC_MODEL_NAME, "CD-R/RW KP2163B");
    rig.user.Enter();
    EXPECT_FALSE(rig.user.BoxOpen());
    EXPECT_EQ(rig.user.Selection(IDC_PARAM_LIST), 1);
    ExpectDetails(rig, {"CD-R/RW KP2163B", "ATAPI", "Type Code Offset = 20004H", true});

    // Another entry's name is, and so is the same name in other letter case: the file finds
    // its sections without regard to case, so the two would become one.
    for (const char* taken : {"NXB-S", "nxb-s"}) {
        rig.user.Click(IDC_PARAM_EDIT);
        rig.user.Type(IDC_PRODUCT_NAME, taken);
        rig.user.Enter();
        ASSERT_TRUE(rig.user.BoxOpen()) << taken;
        rig.user.Answer(IDNO);
    }
    rig.user.Click(IDC_PARAM_EDIT);
    rig.user.Type(IDC_PRODUCT_NAME, "NXB-X");
    rig.user.Enter();
    EXPECT_EQ(rig.Names(), (std::vector<CString>{"NXB-A", "NXB-X", "NXB-S"}));
    EXPECT_EQ(rig.user.Selection(IDC_PARAM_LIST), 1);
}

TEST(EditorStory, DoubleClickEditsButNotWhereThereIsNoItem) {
    World world;
    EditorRig rig(world, kThreeSections);
    rig.user.DoubleClick(IDC_PARAM_LIST, 2);
    ASSERT_EQ(rig.user.Caption(), kEditCaption);
    EXPECT_EQ(rig.user.Text(IDC_PRODUCT_NAME), "NXB-S");
    rig.user.Escape();

    World empty;
    EditorRig none(empty, "");
    none.user.DoubleClick(IDC_PARAM_LIST, -1);
    EXPECT_EQ(none.user.Caption(), kListCaption);
    EXPECT_TRUE(none.Names().empty());
}

TEST(EditorStory, DeleteTheLastAndTheOnlyItem) {
    World world;
    EditorRig rig(world, kThreeSections);
    rig.user.Select(IDC_PARAM_LIST, 2);
    rig.user.Click(IDC_PARAM_DELETE);
    ASSERT_TRUE(rig.user.BoxOpen());
    EXPECT_EQ(rig.user.Box().message, "項目「NXB-S」を削除します。\nよろしいですか？");
    EXPECT_EQ(rig.user.Box().boxType, MB_YESNO | MB_ICONQUESTION);
    rig.user.Answer(IDNO);
    EXPECT_EQ(rig.Names().size(), 3u);

    rig.user.Click(IDC_PARAM_DELETE);
    rig.user.Answer(IDYES);
    EXPECT_EQ(rig.Names(), (std::vector<CString>{"NXB-A", "NXB-B"}));
    EXPECT_EQ(rig.user.Selection(IDC_PARAM_LIST), 1);
    ExpectDetails(rig, {"CD-R/RW KP2163A", "ATAPI", "Type Code Offset = 20004H", true});

    // The first of several: the one after it takes its place.
    rig.user.Select(IDC_PARAM_LIST, 0);
    rig.user.Click(IDC_PARAM_DELETE);
    rig.user.Answer(IDYES);
    EXPECT_EQ(rig.Names(), std::vector<CString>{"NXB-B"});
    EXPECT_EQ(rig.user.Selection(IDC_PARAM_LIST), 0);

    rig.user.Click(IDC_PARAM_DELETE);
    rig.user.Answer(IDYES);
    EXPECT_TRUE(rig.Names().empty());
    EXPECT_EQ(rig.user.Selection(IDC_PARAM_LIST), -1);
    ExpectDetails(rig, {"", "", "", false});
}

TEST(EditorStory, ChangedAndChangedBackClosesWithoutAQuestion) {
    World world;
    EditorRig rig(world, kThreeSections);
    const std::string before = rig.FileText();
    rig.user.Click(IDC_PARAM_EDIT);
    rig.user.Type(IDC_MODEL_NAME, "SOMETHING");
    rig.user.Enter();
    rig.user.Click(IDC_PARAM_EDIT);
    rig.user.Type(IDC_MODEL_NAME, "CD-R/RW KP2140A");
    rig.user.Enter();
    rig.user.Close();
    EXPECT_TRUE(rig.user.Finished());
    EXPECT_EQ(rig.user.Result(), IDCANCEL);
    EXPECT_EQ(rig.FileText(), before);
}

// After a change, closing asks; the three answers.
class CloseAfterAChange : public ::testing::Test {
  protected:
    void Change(EditorRig& rig) {
        rig.user.Select(IDC_PARAM_LIST, 0);
        rig.user.Click(IDC_PARAM_DELETE);
        rig.user.Answer(IDYES);
        rig.user.Click(IDC_PARAM_ADD);
        ASSERT_NO_FATAL_FAILURE(Enter(rig.user, "NXB-N", "CD-R/RW KP9999", false, "8004", true));
    }
    void ExpectQuestion(EditorRig& rig) {
        ASSERT_TRUE(rig.user.BoxOpen());
        EXPECT_EQ(rig.user.Box().message, Str(IDS_CONFIRM_SAVE));
        EXPECT_EQ(rig.user.Box().text, kListCaption);
        EXPECT_EQ(rig.user.Box().boxType, MB_YESNOCANCEL | MB_ICONQUESTION);
    }
    World world;
};

TEST_F(CloseAfterAChange, CancelStays) {
    EditorRig rig(world, kThreeSections);
    ASSERT_NO_FATAL_FAILURE(Change(rig));
    const std::string before = rig.FileText();
    rig.user.Click(IDOK);
    ASSERT_NO_FATAL_FAILURE(ExpectQuestion(rig));
    rig.user.Answer(IDCANCEL);
    EXPECT_FALSE(rig.user.Finished());
    EXPECT_EQ(rig.Names(), (std::vector<CString>{"NXB-B", "NXB-S", "NXB-N"}));
    EXPECT_EQ(rig.FileText(), before);
}

TEST_F(CloseAfterAChange, NoLeavesTheFileAlone) {
    EditorRig rig(world, kThreeSections);
    ASSERT_NO_FATAL_FAILURE(Change(rig));
    rig.user.Close();
    ASSERT_NO_FATAL_FAILURE(ExpectQuestion(rig));
    rig.user.Answer(IDNO);
    EXPECT_TRUE(rig.user.Finished());
    EXPECT_EQ(rig.user.Result(), IDCANCEL);
    EXPECT_EQ(rig.FileText(), kThreeSections);
}

TEST_F(CloseAfterAChange, YesWritesTheListInItsOrder) {
    EditorRig rig(world, kThreeSections);
    ASSERT_NO_FATAL_FAILURE(Change(rig));
    // Someone adds a section by hand while the editor is open.
    {
        std::ofstream out(rig.path, std::ios::app);
        out << "[HAND]\nMODELNAME=BY HAND\n";
    }
    rig.user.Click(IDOK);
    ASSERT_NO_FATAL_FAILURE(ExpectQuestion(rig));
    rig.user.Answer(IDYES);
    EXPECT_TRUE(rig.user.Finished());
    EXPECT_EQ(rig.user.Result(), IDOK);

    const std::vector<DriveParam> saved = rig.FileEntries();
    ASSERT_EQ(saved.size(), 3u);
    EXPECT_EQ(saved[0].productName, "NXB-B");
    EXPECT_EQ(saved[1].productName, "NXB-S");
    EXPECT_EQ(saved[2].productName, "NXB-N");
    EXPECT_EQ(saved[2].modelName, "CD-R/RW KP9999");
    EXPECT_EQ(saved[2].atapi, 0);
    EXPECT_EQ(saved[2].typeCodeEnable, 1);
    EXPECT_EQ(saved[2].typeCodeOffset, 0x8004u);
    EXPECT_EQ(rig.FileText().find("HAND"), std::string::npos);
}

TEST_F(CloseAfterAChange, EscapeNeitherAsksNorSaves) {
    EditorRig rig(world, kThreeSections);
    ASSERT_NO_FATAL_FAILURE(Change(rig));
    rig.user.Escape();
    EXPECT_TRUE(rig.user.Finished());
    EXPECT_EQ(rig.user.Result(), IDCANCEL);
    EXPECT_EQ(rig.FileText(), kThreeSections);
}

// A list the file cannot hold (an empty product name) is not saved at all: the file stays
// as it was, the user is told, and the dialog stays open with the changes.
TEST_F(CloseAfterAChange, AFailedSaveKeepsFileAndDialog) {
    EditorRig rig(world, kThreeSections);
    ASSERT_NO_FATAL_FAILURE(Change(rig));
    rig.user.Click(IDC_PARAM_ADD);
    ASSERT_NO_FATAL_FAILURE(Enter(rig.user, "", "", true, "4", true));
    rig.user.Click(IDOK);
    rig.user.Answer(IDYES);

    ASSERT_TRUE(rig.user.BoxOpen());
    EXPECT_EQ(rig.user.Box().message,
              "パラメータファイル「" + rig.path +
                  "」を保存できませんでした。\nファイルは変更されていません。");
    EXPECT_EQ(rig.user.Box().boxType, MB_OK | MB_ICONEXCLAMATION);
    rig.user.Answer(IDOK);
    EXPECT_FALSE(rig.user.Finished());
    EXPECT_EQ(rig.FileText(), kThreeSections);
    EXPECT_EQ(rig.Names().size(), 4u);

    // Without the nameless entry the save goes through.
    rig.user.Select(IDC_PARAM_LIST, 3);
    rig.user.Click(IDC_PARAM_DELETE);
    rig.user.Answer(IDYES);
    rig.user.Click(IDOK);
    rig.user.Answer(IDYES);
    EXPECT_TRUE(rig.user.Finished());
    EXPECT_EQ(rig.FileEntries().size(), 3u);
}

TEST(EditorStory, MissingFileStartsEmptyAndSavingCreatesIt) {
    World world;
    EditorRig rig(world, nullptr, "new.ini");
    EXPECT_TRUE(rig.Names().empty());
    EXPECT_EQ(rig.user.Selection(IDC_PARAM_LIST), -1);
    ExpectDetails(rig, {"", "", "", false});

    rig.user.Click(IDC_PARAM_ADD);
    rig.user.Enter();
    EXPECT_EQ(rig.Names(), std::vector<CString>{"NXB-"});
    rig.user.Close();
    rig.user.Answer(IDYES);
    EXPECT_TRUE(rig.user.Finished());
    EXPECT_EQ(rig.FileText(),
              "[NXB-]\nMODELNAME=CD-R/RW KP\nATAPI=TRUE\nTC_ENABLE=TRUE\nTC_OFFSET=4\n");
}

}  // namespace
}  // namespace apptest
