#!/usr/bin/env bash
# Every hostile disc through tavik-check: no crash, exit 0 or 1, and nothing written into the disc
# folder. The 60 s deadline only catches a hang; how fast it is, is scripts/bench.sh's.
set -uo pipefail
check=$1
here=$(cd "$(dirname "$0")" && pwd)
tmp=$(mktemp -d)
trap 'chmod -R u+rwx "$tmp"; rm -rf "$tmp"' EXIT

python3 "$here/make_discs.py" "$tmp" > "$tmp/names" || { echo "FAIL: cannot make discs"; exit 1; }
passed=0 failed=0
while read -r name; do
  before=$(ls -A "$tmp/$name" | sort)
  start=$(date +%s%N)
  timeout 60 "$check" --json "$tmp/$name" > "$tmp/$name.json" 2> "$tmp/$name.err"
  rc=$?
  ms=$(( ($(date +%s%N) - start) / 1000000 ))
  after=$(ls -A "$tmp/$name" | sort)
  problem=""
  if [ $rc -eq 124 ]; then problem="no answer within 60 s"
  elif [ $rc -ne 0 ] && [ $rc -ne 1 ]; then problem="exit $rc"; fi
  if [ -z "$problem" ] && ! python3 -c "import json,sys; d=json.load(open(sys.argv[1])); assert len(d['labels'])==9" "$tmp/$name.json" 2>/dev/null; then
    problem="output is not the menu's JSON"
  fi
  if [ -z "$problem" ] && [ "$before" != "$after" ]; then problem="the disc folder changed"; fi
  if [ -n "$problem" ]; then
    echo "FAIL $name: $problem"; head -c 300 "$tmp/$name.err"; failed=$((failed + 1))
  else
    echo "ok   $name (exit $rc, ${ms} ms)"; passed=$((passed + 1))
  fi
done < "$tmp/names"
echo "$passed passed, $failed failed"
[ $failed -eq 0 ]
