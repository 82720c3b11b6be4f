#!/usr/bin/env bash
# Closing the window while the drive is being updated: the first question is answered No
# and the update goes on; the second Yes, which stops the update and ends the program.
. "$(dirname "$0")/lib.sh"

start --phase-ms 2500 --block-ms 40
wait_for "開始ボタンをクリックしてください。"

# Shift+Tab from the Close button reaches Start.
keys BTab Enter
wait_for "「KP2140A_120.BIN」ファイルによるアップデートを開始します。"
keys y
wait_for "受信データを確認しています・・・"

# Alt+F4 asks first.
keys M-F4
wait_for "現在、ファームウェアアップデートの作業中です。"
expect_screen "作業を中止してプログラムを終了しますか？"
expect_screen "(!)"
# Progress events keep arriving behind the question.
wait_for "旧データを消去しています・・・"
keys n
wait_gone "作業を中止してプログラムを終了しますか？"
wait_for "新データを書き込んでいます・・・"

# Enter now goes to the Close button (Start is disabled while the update runs).
keys Enter
wait_for "作業を中止してプログラムを終了しますか？"
keys y
wait_for "ファームウェアのアップデートは完了していません。"
expect_screen "プログラムを終了します。"
expect_screen "(i)"
expect_screen "[[ OK ]]"
keys Enter
finish 0
