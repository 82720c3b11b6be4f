#!/usr/bin/env bash
# A terminal smaller than the dialog: clipped, the focused control slid into view, nothing
# breaks; growing again redraws it whole.
. "$(dirname "$0")/lib.sh"

start --phase-ms 500
wait_for "開始ボタンをクリックしてください。"

# 50 x 12: the focused Close button (bottom right of the dialog) is slid into view.
tm resize-window -t demo -x 50 -y 12
wait_for "閉じる"
expect_not_screen "ドライブの選択(T)"
# Shift+Tab twice reaches the drive list at the top: the dialog slides back.
keys BTab BTab
wait_for "ドライブの選択(T)"

# 20 x 5: the dialog slides left too, so the focused drive list's right end shows.
tm resize-window -t demo -x 20 -y 5
wait_for "▼]"
expect_not_screen "[-]"
# A single cell: nothing to see, nothing breaks.
tm resize-window -t demo -x 1 -y 1

tm resize-window -t demo -x 100 -y 30
wait_for "┌─ステータス─"
expect_screen "CD-R/RWアップデートプログラム"
expect_screen "[[閉じる]]"
[ "$(col_of "[-]")" -eq 21 ] || fail "the dialog is not centred again"
keys Escape
finish 0
