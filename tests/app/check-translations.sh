#!/usr/bin/env bash
# Fails when a text marked for translation in app/ has no finished translation in a catalogue of
# translations/: lupdate gathers the texts into a copy of each .ts, which must then hold no
# unfinished message and no message the catalogue lacked. lupdate reads the headers from the source
# root, as the compiler does, so that a class's context carries its namespace (brevak::TfrmMain).
#   check-translations.sh LUPDATE SOURCE-DIR
set -euo pipefail
lupdate=$1
src=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
for ts in "$src"/translations/*.ts; do
  copy="$work/$(basename "$ts")"
  cp "$ts" "$copy"
  (cd "$src" && "$lupdate" -no-obsolete -locations none -I . app -ts "$copy") >"$work/log" 2>&1
  if grep -q 'type="unfinished"' "$copy"; then
    echo "$(basename "$ts"): untranslated:" >&2
    grep -B3 'type="unfinished"' "$copy" | grep '<source>' >&2 || true
    status=1
  fi
  if ! cmp -s "$ts" "$copy"; then
    echo "$(basename "$ts"): out of date with the code; run the brevak_lupdate target:" >&2
    diff "$ts" "$copy" >&2 || true
    status=1
  fi
done
exit $status
