// The program's resources: dialog templates 100, 102, 129 and 130, the string table and
// icon 128. Texts are UTF-8; "\n" is a line break.
#include "res/resource.h"

#include <iterator>

#include "res/dialog_template.h"
#include "winapi/winuser.h"

namespace res {
namespace {

using CC = ControlClass;

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kPopupDialog = DS_MODALFRAME | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr const char* kFont = "ＭＳ Ｐゴシック";

const DialogItemTemplate kAboutItems[] = {
    {CC::Static, nullptr, IDC_STATIC, 57, 40, 20, 20, kChild | SS_ICON, IDR_MAINFRAME},
    {CC::Static, "CD-R/RWアップデートプログラム", IDC_ABOUT_TITLE, 7, 5, 119, 8,
     kChild | SS_CENTER | SS_NOPREFIX, 0},
    {CC::Static, "Ver 1.00", IDC_ABOUT_VERSION, 24, 21, 85, 8, kChild | SS_CENTER | SS_NOPREFIX, 0},
    {CC::Button, "OK", IDOK, 42, 92, 50, 14, kChild | BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, 0},
};

const DialogItemTemplate kUpdaterItems[] = {
    {CC::Button, "閉じる", IDOK, 177, 129, 44, 17, kChild | BS_DEFPUSHBUTTON | WS_TABSTOP, 0},
    {CC::ComboBox, nullptr, IDC_IMAGE_LIST, 13, 63, 202, 84,
     kChild | CBS_DROPDOWNLIST | CBS_SORT | WS_VSCROLL | WS_TABSTOP, 0},
    {CC::ComboBox, nullptr, IDC_DRIVE_LIST, 13, 19, 202, 95,
     kChild | CBS_DROPDOWNLIST | CBS_SORT | WS_VSCROLL | WS_TABSTOP, 0},
    {CC::Button, "開始", IDC_START, 177, 95, 44, 26, kChild | BS_PUSHBUTTON | WS_TABSTOP, 0},
    {CC::Button, "ステータス", IDC_STATUS_GROUP, 6, 90, 164, 58, kChild | BS_GROUPBOX, 0},
    {CC::Static, "Ready.", IDC_STATUS, 11, 104, 154, 10, kChild | SS_CENTER | SS_CENTERIMAGE, 0},
    {CC::Progress, nullptr, IDC_PROGRESS, 11, 124, 154, 13, kChild | PBS_SMOOTH | WS_BORDER, 0},
    {CC::Button, "ドライブの選択(&T)", IDC_DRIVE_GROUP, 7, 3, 213, 35, kChild | BS_GROUPBOX, 0},
    {CC::Button, "アップデートファイルの選択(&F)", IDC_IMAGE_GROUP, 7, 48, 213, 35,
     kChild | BS_GROUPBOX, 0},
};

const DialogItemTemplate kParamListItems[] = {
    {CC::Button, "閉じる", IDOK, 197, 77, 50, 14, kChild | BS_DEFPUSHBUTTON | WS_TABSTOP, 0},
    {CC::Button, "パラメータ情報(&P)", IDC_PARAM_GROUP, 2, 5, 192, 69, kChild | BS_GROUPBOX, 0},
    {CC::ListBox, nullptr, IDC_PARAM_LIST, 8, 19, 71, 48,
     kChild | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_BORDER | WS_TABSTOP, 0},
    {CC::Static, "モデル名：", IDC_PARAM_MODEL, 84, 23, 106, 8, kChild | SS_LEFT, 0},
    {CC::Static, "SCSI or ATAPI", IDC_PARAM_INTERFACE, 84, 38, 106, 8, kChild | SS_LEFT, 0},
    {CC::Static, "Type Code Offset", IDC_PARAM_TYPE_CODE, 84, 53, 106, 8, kChild | SS_LEFT, 0},
    {CC::Button, "追加(&A)", IDC_PARAM_ADD, 197, 11, 50, 14, kChild | BS_PUSHBUTTON | WS_TABSTOP,
     0},
    {CC::Button, "編集(&E)", IDC_PARAM_EDIT, 197, 27, 50, 14, kChild | BS_PUSHBUTTON | WS_TABSTOP,
     0},
    {CC::Button, "削除(&D)", IDC_PARAM_DELETE, 197, 43, 50, 14, kChild | BS_PUSHBUTTON | WS_TABSTOP,
     0},
};

constexpr DWORD kEdit = kChild | WS_BORDER | ES_AUTOHSCROLL | WS_TABSTOP;

const DialogItemTemplate kParamEditItems[] = {
    {CC::Button, "OK", IDOK, 130, 7, 50, 14, kChild | BS_DEFPUSHBUTTON | WS_TABSTOP, 0},
    {CC::Button, "ｷｬﾝｾﾙ", IDCANCEL, 130, 24, 50, 14, kChild | BS_PUSHBUTTON | WS_TABSTOP, 0},
    {CC::Button, "製品名(&P)", IDC_PRODUCT_GROUP, 4, 3, 119, 33, kChild | BS_GROUPBOX, 0},
    {CC::Edit, nullptr, IDC_PRODUCT_NAME, 11, 15, 105, 12, kEdit, 0},
    {CC::Button, "パラメータ指定", IDC_SETTING_GROUP, 4, 41, 119, 96, kChild | BS_GROUPBOX, 0},
    {CC::Static, "モデル名(&M)：", IDC_MODEL_LABEL, 9, 55, 52, 8, kChild | SS_LEFT, 0},
    {CC::Edit, nullptr, IDC_MODEL_NAME, 19, 67, 98, 12, kEdit, 0},
    {CC::Button, "ﾀｲﾌﾟｺｰﾄﾞの取得が可能(&T)", IDC_TYPE_CODE_CHECK, 8, 90, 102, 9,
     kChild | BS_AUTOCHECKBOX | WS_TABSTOP, 0},
    {CC::Static, "ﾀｲﾌﾟｺｰﾄﾞのｵﾌｾｯﾄｱﾄﾞﾚｽ(&O)：", IDC_OFFSET_LABEL, 19, 104, 90, 8, kChild | SS_LEFT,
     0},
    {CC::Edit, nullptr, IDC_OFFSET, 34, 118, 56, 12, kEdit, 0},
    {CC::Static, "(HEX)", IDC_HEX_LABEL, 93, 118, 24, 12, kChild | SS_LEFT | SS_CENTERIMAGE, 0},
    {CC::Button, "ｲﾝﾀｰﾌｪｰｽ(&I)", IDC_INTERFACE_GROUP, 4, 143, 119, 31, kChild | BS_GROUPBOX, 0},
    {CC::Button, "&SCSI", IDC_SCSI, 15, 157, 38, 10,
     kChild | BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 0},
    {CC::Button, "&ATAPI", IDC_ATAPI, 67, 157, 42, 10, kChild | BS_AUTORADIOBUTTON, 0},
};

const DialogTemplate kDialogs[] = {
    {IDD_ABOUTBOX, "ﾊﾞｰｼﾞｮﾝ情報", kFont, 9, 134, 113, kPopupDialog, 0, kAboutItems,
     std::size(kAboutItems)},
    {IDD_CDRWUPDATE_DIALOG, "CD-R/RWアップデートプログラム", kFont, 9, 229, 157,
     kPopupDialog | WS_VISIBLE, WS_EX_APPWINDOW, kUpdaterItems, std::size(kUpdaterItems)},
    {IDD_PARAM_LIST, "対象ドライブパラメータ編集ダイアログ", kFont, 9, 250, 93, kPopupDialog, 0,
     kParamListItems, std::size(kParamListItems)},
    {IDD_PARAM_EDIT, "パラメータ編集ダイアログ", kFont, 9, 187, 183, kPopupDialog, 0,
     kParamEditItems, std::size(kParamEditItems)},
};

struct StringEntry {
    UINT id;
    const char* text;
};

const StringEntry kStrings[] = {
    {IDS_ABOUTBOX, "ﾊﾞｰｼﾞｮﾝ情報(&A)..."},
    {IDS_NO_MEMORY, "メモリが足りません。\nプログラムを終了します。"},
    {IDS_NO_DEVICE, "対象となるデバイスを検出できませんでした。\nプログラムを終了します。"},
    {IDS_CONFIRM_START, "「%s」ファイルによるアップデートを開始します。\nよろしいですか？"},
    {IDS_ERROR, "エラーが発生しました。"},
    {IDS_RESULT_OK, "正常に終了しました。"},
    {IDS_RESULT_SELECT_FAILED, "ドライブの選択に失敗しました。"},
    {IDS_RESULT_WRITE_MODE_FAILED, "書き込みモードへの移行に失敗しました。"},
    {IDS_RESULT_OPEN_FAILED, "ファイルのオープンに失敗しました。"},
    {IDS_RESULT_TRANSFER_FAILED, "データの転送に失敗しました。"},
    {IDS_RESULT_UNLOCK_FAILED, "ロックの解除に失敗しました。"},
    {IDS_RESULT_PREPARE_FAILED, "書き込み準備を完了できませんでした。"},
    {IDS_RESULT_BAD_DATA, "データが異常です。"},
    {IDS_RESULT_ERASE_ERROR, "データの消去中にエラーが発生しました。"},
    {IDS_RESULT_WRITE_ERROR, "データの書き込み中にエラーが発生しました。"},
    {IDS_RESULT_VERIFY_ERROR, "書き込んだデータに異常があります。"},
    {IDS_CANCELLED, "作業を中止しました。"},
    {IDS_STATUS_TRANSFER, "データを転送しています・・・"},
    {IDS_STATUS_CHECK_RECEIVED, "受信データを確認しています・・・"},
    {IDS_STATUS_ERASE, "旧データを消去しています・・・"},
    {IDS_STATUS_WRITE, "新データを書き込んでいます・・・"},
    {IDS_STATUS_CHECK_WRITTEN, "書き込んだデータを確認しています・・・"},
    {IDS_STATUS_READY, "開始ボタンをクリックしてください。"},
    {IDS_RESULT_READ_FAILED, "データの読み込みに失敗しました。"},
    {IDS_RESULT_TYPE_CODE, "タイプコードが異なるため、書き込みできません。"},
    {IDS_RESULT_FILE_READ_FAILED, "ファイルの読み込みに失敗しました。"},
    {IDS_CONFIRM_CLOSE,
     "現在、ファームウェアアップデートの作業中です。\n作業を中止してプログラムを終了しますか？"},
    {IDS_CLOSE_CANCELLED,
     "作業を中止しました。\nファームウェアのアップデートは完了していません。\nプログラムを終了"
     "します。"},
    {IDS_CONFIRM_POWER_OFF,
     "正常に作業が完了しました。\n書き込んだデータを有効にするためには、\nドライブの電源を入れ直"
     "す必要があります。\n\n今すぐパソコンの電源をおとしますか？"},
    {IDS_NO_UPDATE_FILE, "アップデート用ファイルが見つかりません。"},
    {IDS_NO_UPDATE_DRIVE, "アップデート用ドライブが見つかりません。"},
    {IDS_CANNOT_START, "作業を開始できません。"},
    {IDS_DUPLICATE_PRODUCT,
     "製品名「%s」はすでに存在します。\nこの製品名では登録できません。\n設定をやり直しますか？"},
    {IDS_CONFIRM_DELETE, "項目「%s」を削除します。\nよろしいですか？"},
    {IDS_CONFIRM_SAVE, "データに変更がありました。\n保存して終了しますか？"},
    {IDS_NO_TYPE_CODE, "タイプコードを参照しません。"},
    {IDS_SAVE_FAILED,
     "パラメータファイル「%s」を保存できませんでした。\nファイルは変更されていません。"},
};

// A disc with its two formats, in as many columns as the icon control is wide.
const char* const kMainIconRows[] = {"[CD]", "[RW]"};

const IconResource kIcons[] = {
    {IDR_MAINFRAME, 32, 32, kMainIconRows, std::size(kMainIconRows)},
};

}  // namespace

const DialogTemplate* FindDialogTemplate(UINT id) {
    for (const DialogTemplate& t : kDialogs) {
        if (t.id == id) return &t;
    }
    return nullptr;
}

const char* FindString(UINT id) {
    for (const StringEntry& s : kStrings) {
        if (s.id == id) return s.text;
    }
    return nullptr;
}

const IconResource* FindIcon(UINT id) {
    for (const IconResource& icon : kIcons) {
        if (icon.id == id) return &icon;
    }
    return nullptr;
}

}  // namespace res
