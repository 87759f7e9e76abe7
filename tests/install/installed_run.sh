#!/usr/bin/env bash
# Runs an installed Skimmer as a user would, from its prefix only: skimmer-index indexes a small
# tree, --query finds a file in it, and `skimmer` on a terminal (tmux) shows that file as a hit in
# its search window, with the plug-in loaded from the prefix's plug-in folder, then quits on F10.
# Usage: installed_run.sh PREFIX   (the folder holding bin/skimmer and bin/skimmer-index)
# Everything it writes lives in a temporary home, removed at the end. Exit 0: every check held.
set -euo pipefail
prefix=$(cd "${1:?usage: installed_run.sh PREFIX}" && pwd)
fail() { echo "installed_run: FAIL: $*" >&2; exit 1; }
command -v tmux >/dev/null || fail "tmux is not installed"

work=$(mktemp -d "${TMPDIR:-/tmp}/skimmer-installed.XXXXXX")
socket=$work/tmux.sock
cleanup() {
  tmux -S "$socket" kill-server 2>/dev/null || true  # absent when the session already ended
  rm -rf "$work"
}
trap cleanup EXIT

# A private home: nothing of the real user's settings, index or plug-in folder is read.
home=$work/home
mkdir -p "$home/tree/docs" "$work/config" "$work/cache" "$work/data" "$work/runtime"
chmod 700 "$work/runtime"
: >"$home/tree/docs/stagedneedle-report.txt"
user_env=(HOME="$home" XDG_CONFIG_HOME="$work/config" XDG_CACHE_HOME="$work/cache" XDG_DATA_HOME="$work/data"
          XDG_RUNTIME_DIR="$work/runtime" TMPDIR="$work" LANG=C.UTF-8 LC_ALL=C.UTF-8)
db=$work/cache/skimmer/index.sqlite

env "${user_env[@]}" "$prefix/bin/skimmer-index" --root "$home/tree" --db "$db" >"$work/index.out" 2>&1 ||
  fail "skimmer-index --root exited with $?: $(cat "$work/index.out")"
hits=$(env "${user_env[@]}" "$prefix/bin/skimmer-index" --db "$db" --query stagedneedle) ||
  fail "skimmer-index --query exited with $?"
[ "$hits" = "$home/tree/docs/stagedneedle-report.txt" ] || fail "skimmer-index --query printed: $hits"

# Waits up to 30 s for the pane to show TEXT (or, with "!", to stop showing it); the last screen is
# in $screen.
screen=""
wait_screen() {
  local want=$1 text=$2
  for _ in $(seq 150); do
    screen=$(tmux -S "$socket" capture-pane -p 2>/dev/null) || return 1
    if grep -qF -- "$text" <<<"$screen"; then [ "$want" = "!" ] || return 0; else [ "$want" != "!" ] || return 0; fi
    sleep 0.2
  done
  return 1
}

# The dynamic loader's own record of the files it opened names the plug-in module really loaded.
tmux -S "$socket" -f /dev/null new-session -d -x 100 -y 30 \
  env STATUS_FILE="$work/status" sh -c '"$@"; echo $? >"$STATUS_FILE"' skimmer \
  env "${user_env[@]}" LD_DEBUG=files LD_DEBUG_OUTPUT="$work/ld" "$prefix/bin/skimmer" stagedneedle
wait_screen = "stagedneedle-report.txt" || fail "the search window shows no hit:"$'\n'"$screen"
# Esc closes the window, F10 quits; each waits for the screen the key before it brought.
tmux -S "$socket" send-keys Escape
wait_screen ! "stagedneedle-report.txt" || fail "Esc did not close the search window:"$'\n'"$screen"
wait_screen = "10Quit" || fail "no key bar after the window closed:"$'\n'"$screen"
tmux -S "$socket" send-keys F10
for _ in $(seq 50); do [ -s "$work/status" ] && break; sleep 0.2; done
[ "$(cat "$work/status" 2>/dev/null)" = 0 ] || fail "skimmer did not quit with F10 and exit code 0 (status: $(cat "$work/status" 2>/dev/null))"

loaded=$(sed -n 's/.*file=\([^ ]*skimmer\.so\) .*dynamically loaded by.*/\1/p' "$work"/ld.* | sort -u)
[ -n "$loaded" ] || fail "no skimmer.so was loaded"
for module in $loaded; do
  [[ $module == "$prefix"/*/skimmer/plugins/skimmer/skimmer.so ]] || fail "a plug-in outside $prefix was loaded: $module"
done
echo "installed_run: $prefix: indexed, queried, the search window showed the hit from $loaded, F10 quit"
