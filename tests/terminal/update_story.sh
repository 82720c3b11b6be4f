#!/usr/bin/env bash
# A person updates the SCSI drive from start to finish: picks it in the opened drive list,
# starts, confirms, watches every status, declines switching off and closes the window.
. "$(dirname "$0")/lib.sh"

start --phase-ms 1500 --block-ms 80
wait_for "開始ボタンをクリックしてください。"
expect_screen "HA:0 SCSI-ID:00　        CD-R/RW KP2140A 1.10"
expect_screen "KP2140A_120.BIN (CD-R/RW KP2140A 1.20)"  # the newest image that fits

# Alt+T leads to the drive list; F4 opens it below its box.
keys M-t F4
wait_for "│HA:1 SCSI-ID:03　        CD-R/RW KP2140S 1.00"
expect_screen "│HA:0 SCSI-ID:01　        DVD/CDRW KP5470 2.00"
keys Down Down Enter
wait_gone "│HA:0 SCSI-ID:01"
wait_for "[HA:1 SCSI-ID:03　        CD-R/RW KP2140S 1.00"
wait_for "[KP2140S_110.bin (CD-R/RW KP2140S 1.10)"  # the image follows the drive

# Tab moves on to Start; Enter presses it.
keys Tab Enter
wait_for "「KP2140S_110.bin」ファイルによるアップデートを開始します。"
expect_screen "(?)"
keys y
wait_gone "ファイルによるアップデートを開始します。"

wait_for "データを転送しています・・・"
for status in "受信データを確認しています・・・" "旧データを消去しています・・・" \
  "新データを書き込んでいます・・・"; do
  wait_for "$status"
done
# Mid-update the bar is partly filled.
bar="$(screen | grep -F "░" | grep -F "█" || true)"
[ -n "$bar" ] || fail "no partly filled progress bar while writing"
wait_for "書き込んだデータを確認しています・・・"

wait_for "今すぐパソコンの電源をおとしますか？"
expect_screen "正常に作業が完了しました。"
expect_screen "書き込んだデータを有効にするためには、"
keys n
wait_gone "今すぐパソコンの電源をおとしますか？"
wait_for "正常に終了しました。"
expect_screen "██████████████████████████████████████"  # full
expect_not_screen "░"

# Idle again: closing asks nothing.
keys M-F4
finish 0
