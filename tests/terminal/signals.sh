#!/usr/bin/env bash
# The terminal is given back when the program is ended by a signal: a request to terminate,
# and a crash (abort).
. "$(dirname "$0")/lib.sh"

for signal in TERM:143 ABRT:134; do
  start --phase-ms 500
  wait_for "開始ボタンをクリックしてください。"
  kill -s "${signal%%:*}" "$(cat "$work/pid")"
  finish "${signal##*:}"
  cleanup
done
