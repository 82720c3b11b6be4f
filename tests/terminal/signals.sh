#!/usr/bin/env bash
# Signals: a request to stop closes the windows the way Esc does (a running update is
# finished first) and the program then ends by that signal; a crash (abort) ends it at
# once. Either way the terminal is given back.
. "$(dirname "$0")/lib.sh"

# Idle: SIGTERM ends the program.
start --phase-ms 500
wait_for "開始ボタンをクリックしてください。"
kill -s TERM "$(cat "$work/pid")"
finish 143
cleanup

# During an update: SIGHUP closes the window; the program ends once the update is done.
start --phase-ms 800 --block-ms 20
wait_for "開始ボタンをクリックしてください。"
keys BTab Enter
wait_for "ファイルによるアップデートを開始します。"
keys y
wait_for "受信データを確認しています・・・"
kill -s HUP "$(cat "$work/pid")"
wait_gone "CD-R/RWアップデートプログラム"
finish 129
cleanup

# A crash.
start --phase-ms 500
wait_for "開始ボタンをクリックしてください。"
kill -s ABRT "$(cat "$work/pid")"
finish 134
