#!/usr/bin/env bash
# The system menu (F10 and Alt+Space) with its version item and Close; the version dialog.
. "$(dirname "$0")/lib.sh"

start --phase-ms 500
wait_for "開始ボタンをクリックしてください。"

keys F10
wait_for "ﾊﾞｰｼﾞｮﾝ情報(A)..."
expect_screen "閉じる(C)"
expect_screen "Alt+F4"
keys Escape
wait_gone "ﾊﾞｰｼﾞｮﾝ情報(A)..."

# Alt+Space, then down to the version item and Enter.
keys M-Space
wait_for "ﾊﾞｰｼﾞｮﾝ情報(A)..."
keys Down Down Enter
wait_for "Ver 1.00"
expect_screen "ﾊﾞｰｼﾞｮﾝ情報"
[ "$(screen | grep -cF "CD-R/RWアップデートプログラム")" -ge 2 ] ||
  fail "the version dialog names the program under the main window's title"
keys Enter
wait_gone "Ver 1.00"

# The menu's access key: Alt+Space, then A.
keys M-Space
wait_for "ﾊﾞｰｼﾞｮﾝ情報(A)..."
keys a
wait_for "Ver 1.00"
keys Escape
wait_gone "Ver 1.00"

# Close from the system menu ends the idle program.
keys F10
wait_for "閉じる(C)"
keys c
finish 0
