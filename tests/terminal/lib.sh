# Shared by the terminal tests: the real program in a private tmux server, keys typed with
# send-keys, the screen read with capture-pane. Every wait polls with a generous limit.
set -euo pipefail

: "${CDRW_BUILD_DIR:?the build tree with cdrwupdate}"
: "${CDRW_TEST_WORK:?a folder for this test}"
repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
work="$CDRW_TEST_WORK"
socket="cdrw-test-$(basename "$work")-$$"
rm -rf "$work"
mkdir -p "$work"

tm() { tmux -L "$socket" -f /dev/null "$@"; }
cleanup() {
  tm kill-server >/dev/null 2>&1 || true
  rm -f "${TMUX_TMPDIR:-/tmp}/tmux-$(id -u)/$socket"
}
# The tmux server always goes; the test's folder stays only when the test failed.
finally() {
  local status=$?
  cleanup
  if [ "$status" = 0 ]; then rm -rf "$work"; fi
  exit "$status"
}
trap finally EXIT

screen() { tm capture-pane -p -t demo; }
keys() { tm send-keys -t demo "$@"; }

fail() {
  echo "FAIL: $*"
  echo "--- screen"
  screen || true
  echo "--- program's error output"
  cat "$work/stderr" 2>/dev/null || true
  exit 1
}

# start [demo options...]: the demo in a terminal of 100 x 30, in this test's own folder.
# The program's process id lands in $work/pid, its error output in $work/stderr; when it
# ends, its exit code shows on the screen and the terminal settings are saved to compare.
start() {
  local demo
  demo="$(printf '%q ' "$repo/scripts/demo" --no-build --build-dir "$CDRW_BUILD_DIR" \
    --dir "$work/demo" "$@")"
  {
    echo "stty -a >$(printf '%q' "$work/stty.before")"
    echo "( echo \$BASHPID >$(printf '%q' "$work/pid"); exec $demo ) 2>$(printf '%q' "$work/stderr")"
    echo 'echo "EXIT=$?"'
    echo "stty -a >$(printf '%q' "$work/stty.after")"
    echo 'exec sleep 100000'
  } >"$work/run.sh"
  tm new-session -d -s demo -x 100 -y 30 "bash $work/run.sh"
}

# wait_for TEXT [SECONDS]: until TEXT shows on the screen.
wait_for() {
  local text="$1" limit="${2:-60}" tries
  tries=$((limit * 10))
  while [ "$tries" -gt 0 ]; do
    if screen | grep -qF -- "$text"; then return 0; fi
    sleep 0.1
    tries=$((tries - 1))
  done
  fail "'$text' did not show within ${limit}s"
}

# wait_gone TEXT [SECONDS]: until TEXT has left the screen.
wait_gone() {
  local text="$1" limit="${2:-60}" tries
  tries=$((limit * 10))
  while [ "$tries" -gt 0 ]; do
    if ! screen | grep -qF -- "$text"; then return 0; fi
    sleep 0.1
    tries=$((tries - 1))
  done
  fail "'$text' stayed on the screen for ${limit}s"
}

# expect_screen TEXT: TEXT is on the screen now.
expect_screen() { screen | grep -qF -- "$1" || fail "'$1' is not on the screen"; }
expect_not_screen() { ! screen | grep -qF -- "$1" || fail "'$1' is on the screen"; }

# The row the text stands on (0 = top), or fails.
row_of() {
  local row
  row="$(screen | grep -nF -- "$1" | head -1 | cut -d: -f1)"
  [ -n "$row" ] || fail "'$1' is not on the screen"
  echo $((row - 1))
}

# The terminal's cursor: "x y". The program keeps it on the focused control.
cursor() { tm display-message -p -t demo '#{cursor_x} #{cursor_y}'; }

# cursor_after KEYS...: types the keys and waits until the cursor has moved; prints where.
cursor_after() {
  local before now tries=600
  before="$(cursor)"
  keys "$@"
  while [ "$tries" -gt 0 ]; do
    now="$(cursor)"
    if [ "$now" != "$before" ]; then echo "$now"; return 0; fi
    sleep 0.1
    tries=$((tries - 1))
  done
  fail "the cursor stayed at $before after $*"
}

# The column where TEXT starts on its row; only for rows where every character before it
# is one column wide (blanks, frame lines, ASCII).
col_of() {
  local line prefix
  line="$(screen | grep -F -- "$1" | head -1)"
  [ -n "$line" ] || fail "'$1' is not on the screen"
  prefix="${line%%"$1"*}"
  LC_ALL=C.UTF-8 bash -c 'p="$1"; echo "${#p}"' _ "$prefix"
}

# click X Y: a left click at column X, row Y (from 0), as an xterm reports it.
click() {
  local x=$(($1 + 1)) y=$(($2 + 1))
  keys -l $'\e'"[<0;$x;${y}M"$'\e'"[<0;$x;${y}m"
}

# finish CODE: the program ended with CODE and left the terminal as it found it.
finish() {
  wait_for "EXIT=$1" 30
  local tries=50
  while [ ! -s "$work/stty.after" ] && [ "$tries" -gt 0 ]; do sleep 0.1; tries=$((tries - 1)); done
  diff "$work/stty.before" "$work/stty.after" >/dev/null ||
    fail "terminal settings not restored: $(diff "$work/stty.before" "$work/stty.after" | tr '\n' ' ')"
  if grep -qE 'ERROR: (Address|Thread|Leak)Sanitizer|runtime error' "$work/stderr"; then
    fail "sanitizer report"
  fi
}
