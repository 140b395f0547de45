#!/usr/bin/env bash
# tavik-check's command line: exit codes, JSON that parses, the sample disc's menu.
set -euo pipefail
check=$1 disc=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

"$check" --json "$disc" > "$tmp/out.json" || fail "sample disc should be clean (exit $?)"
python3 - "$tmp/out.json" <<'PY'
import json, sys
d = json.load(open(sys.argv[1]))
assert d["settings_found"] and d["count"] == 3, d
assert len(d["labels"]) == 9 and d["labels"][8]["caption"] == "Exit"
assert [l["top"] for l in d["labels"][:3]] == [1500, 1950, 2400]
assert d["warnings"] == [], d["warnings"]
assert d["encoding"] == "UTF-8", d["encoding"]
assert set(d) == {"settings_path", "settings_found", "encoding", "picture", "caption", "count",
                  "settings", "labels", "accessible", "languages", "sections", "sources",
                  "warnings"}
a = d["accessible"]
assert a["name"] == d["caption"]
assert [(c["label"], c["role"], c["action"]) for c in a["children"]] == [
    ("lblCaption", "static text", None), ("lblMenu(0)", "menu item", "Open"),
    ("lblMenu(1)", "menu item", "Open"), ("lblMenu(2)", "menu item", "Open"),
    ("lblMenu(8)", "menu item", "Open")], a
assert [c["name"] for c in a["children"][1:]] == [l["caption"] for l in d["labels"] if l["shown"]]
PY
"$check" "$disc/autorun.inf" > /dev/null || fail "an autorun.inf path should work like its folder"

mkdir "$tmp/empty"
rc=0; (cd "$tmp/empty" && "$check" --json > "$tmp/empty.json") || rc=$?
[ $rc -eq 0 ] || fail "a folder without autorun.inf has no fallback to report (exit $rc)"
python3 -c "import json,sys; d=json.load(open('$tmp/empty.json')); assert not d['settings_found']"

printf '[Menu]\nNrOfItems=abc\n' > "$tmp/autorun.inf"
rc=0; "$check" "$tmp" > /dev/null || rc=$?
[ $rc -eq 1 ] || fail "warnings should exit 1, got $rc"

# A picture in a subfolder, named with `\` as on Windows: loaded, and its format known.
mkdir -p "$tmp/pic/art"
python3 -c "import base64,sys; open(sys.argv[1],'wb').write(base64.b64decode('R0lGODlhAQABAIAAAP8AAAAAACwAAAAAAQABAAACAkQBADs='))" "$tmp/pic/art/p.gif"
printf '[Menu]\nPicture=art\\p.gif\n' > "$tmp/pic/autorun.inf"
rc=0; "$check" --json "$tmp/pic" > "$tmp/pic.json" || rc=$?
python3 -c "import json,sys; d=json.load(open(sys.argv[1])); assert d['picture']['loaded'] and d['warnings'] == [], d" "$tmp/pic.json" || fail "a picture named art\\p.gif"
[ $rc -eq 0 ] || fail "a picture in a subfolder should be clean, got exit $rc"

for args in "--bogus" "$tmp/nope" "a b"; do
  rc=0; "$check" $args > /dev/null 2>&1 || rc=$?
  [ $rc -eq 2 ] || fail "'$args' should exit 2, got $rc"
done
echo "tavik-check CLI: all cases passed"
