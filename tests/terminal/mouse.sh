#!/usr/bin/env bash
# Clicks select and press where the terminal reports them: the drop-down list and its
# items, a button, a message box's button, the system menu box and its Close item.
. "$(dirname "$0")/lib.sh"

start --phase-ms 500
wait_for "開始ボタンをクリックしてください。"

# Alt+F puts the cursor on the image list; a click there opens it.
read -r x y < <(cursor_after M-f)
click "$x" "$y"
wait_for "│XR1_090.bin (CD-RW XR-1      0.90)"
row="$(row_of "│XR1_090.bin")"
click "$((x + 2))" "$row"
wait_gone "│XR1_090.bin"
wait_for "[XR1_090.bin (CD-RW XR-1      0.90)"
# No drive has that image's type code: the drive list is cleared and Start disabled.
wait_for "アップデート用ドライ"  # wrapped in two rows: wider than the status line

# Back to an image that fits; then a click on Start asks to start.
keys M-f F4
wait_for "│KP2140S_110.bin"
click "$((x + 2))" "$(row_of "│KP2140S_110.bin")"
wait_for "開始ボタンをクリックしてください。"
wait_for "[HA:1 SCSI-ID:03"
# The cursor follows the focus: from the drive list, Tab puts it on Start.
read -r x y < <(cursor_after M-t Tab)
click "$x" "$y"
wait_for "「KP2140S_110.bin」ファイルによるアップデートを開始します。"
# The No button of the question.
row="$(row_of "[ いいえ(N) ]")"
line="$(screen | sed -n "$((row + 1))p")"
prefix="${line%%"[ いいえ(N) ]"*}"
narrow="${prefix//[^ │\[\]]/}"  # the wide characters of はい count twice
click "$(( ${#narrow} + (${#prefix} - ${#narrow}) * 2 + 3 ))" "$row"
wait_gone "ファイルによるアップデートを開始します。"
expect_screen "開始ボタンをクリックしてください。"

# The system menu box, then its Close item.
click "$(col_of "[-]")" "$(row_of "[-]")"
wait_for "閉じる(C)"
click "$(( $(col_of "│ 閉じる(C)") + 3 ))" "$(row_of "閉じる(C)")"
finish 0
