#!/usr/bin/env bash
# Esc during an update closes the window at once, without a question; the screen stays
# empty until the update has ended, then the program ends and the terminal is given back.
. "$(dirname "$0")/lib.sh"

start --phase-ms 1500 --block-ms 40
wait_for "開始ボタンをクリックしてください。"
keys BTab Enter
wait_for "ファイルによるアップデートを開始します。"
keys y
wait_for "受信データを確認しています・・・"
keys Escape
wait_gone "CD-R/RWアップデートプログラム"
expect_not_screen "作業を中止して"
finish 0
