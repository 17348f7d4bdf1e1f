#!/usr/bin/env bash
# The commit-msg hook (scripts/commit-msg) on a table of messages: what counts as the subject and
# how long it may be.
#   commit-msg-test.sh SOURCE_DIR
set -uo pipefail
hook=$(cd "$1" && pwd)/scripts/commit-msg
tmp=$(mktemp -d "${TMPDIR:-/tmp}/brevak-commit-msg.XXXXXX")
trap 'rm -rf "$tmp"' EXIT
repeat() { local s=; for ((i = 0; i < $2; i++)); do s+=$1; done; printf '%s' "$s"; }
x72=$(repeat x 72)
body="

A body line may be as long as it likes: $(repeat y 100)"

faults=0
# expected exit status, case, message
check() {
  printf '%s' "$3" >"$tmp/msg"
  (cd "$tmp" && "$hook" "$tmp/msg" >/dev/null 2>&1)
  local got=$?
  if [[ $got != "$1" ]]; then
    echo "FAIL: $2: exit $got, expected $1"
    faults=$((faults + 1))
  fi
}
# Length
check 0 "72 characters" "$x72$body"
check 1 "73 characters" "x$x72$body"
check 0 "72 Cyrillic letters, 144 bytes" "$(repeat я 72)$body"
check 1 "73 Cyrillic letters" "$(repeat я 73)$body"
check 0 "trailing spaces do not count" "$x72   $body"
check 0 "no newline at the end" "short"
# What the subject is
check 0 "comment lines before it are skipped" "# $(repeat c 80)
Subject$body"
check 1 "blank lines before it are skipped" "

x$x72"
check 0 "a squash prefix does not count" "fixup! squash! $x72$body"
((faults == 0)) && echo "commit-msg: all cases pass"
exit $((faults != 0))
