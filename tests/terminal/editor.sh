#!/usr/bin/env bash
# The parameter editor: add an entry, be refused a product name that is taken and correct
# it, then close and save.
. "$(dirname "$0")/lib.sh"

start --editor
wait_for "対象ドライブパラメータ編集ダイアログ"
expect_screen "NXB-A"
expect_screen "NXB-S"
expect_screen "NXB-DVD"
expect_screen "Type Code Offset = 00004H"

# Add: Alt+A opens the edit dialog with the preset values.
keys M-a
wait_for "─製品名(P)─"
expect_screen "[NXB-"
expect_screen "[CD-R/RW KP"
expect_screen "[x] ﾀｲﾌﾟｺｰﾄﾞの取得が可能(T)"
expect_screen "(*) ATAPI"
keys M-p X 1
wait_for "[NXB-X1"
keys M-m 2 1 6 0 S
wait_for "[CD-R/RW KP2160S"
keys M-s
wait_for "(*) SCSI"
keys Enter
wait_gone "─製品名(P)─"
wait_for "NXB-X1"
expect_screen "CD-R/RW KP2160S"
wait_for "SCSI "

# Add another under a name that is taken: refused, back to the values, corrected.
keys M-a
wait_for "─製品名(P)─"
keys M-p A
wait_for "[NXB-A "
keys Enter
wait_for "製品名「NXB-A」はすでに存在します。"
expect_screen "設定をやり直しますか？"
keys y
wait_for "[NXB-A "
keys M-p 2
wait_for "[NXB-A2"
keys Enter
wait_for "NXB-A2"
wait_gone "─製品名(P)─"

# Close (Alt+F4): the changes are saved on the question.
keys M-F4
wait_for "データに変更がありました。"
expect_screen "保存して終了しますか？"
expect_screen "[ キャンセル ]"
keys y
finish 0

ini="$work/demo/params.ini"
grep -qF "[NXB-X1]" "$ini" || fail "NXB-X1 not saved: $(cat "$ini")"
grep -qF "[NXB-A2]" "$ini" || fail "NXB-A2 not saved: $(cat "$ini")"
sed -n '/\[NXB-X1\]/,/TC_OFFSET/p' "$ini" | grep -qx "MODELNAME=CD-R/RW KP2160S" ||
  fail "model name of NXB-X1: $(cat "$ini")"
sed -n '/\[NXB-X1\]/,/TC_OFFSET/p' "$ini" | grep -qx "ATAPI=FALSE" ||
  fail "interface of NXB-X1: $(cat "$ini")"
[ "$(grep -c '^\[' "$ini")" -eq 5 ] || fail "five entries expected: $(cat "$ini")"
