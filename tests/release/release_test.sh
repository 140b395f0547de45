#!/usr/bin/env bash
# The release as a disc author downloads it: scripts/release.sh run in two fresh clones of the
# checked-out commit gives the same bytes; the sums match; lintian finds no error or warning in
# the package; then the Linux archive and the package on Debian 11, 12 and 13
# (tests/release/release_roots.py). The second clone reuses the first one's compiler cache;
# every output is still compared byte for byte. Needs the roots of scripts/disc_roots.sh.
set -euo pipefail
cd "$(dirname "$0")/../.."
checkout=$(pwd)
roots=$(realpath build/roots)
commit=$(git rev-parse HEAD)
epoch=$(git log -1 --format=%ct "$commit")
tmp=$(mktemp -d /tmp/tavik-release-test-XXXXXX)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

for side in a b; do
  started=$SECONDS
  git clone -q --no-hardlinks --no-checkout "$checkout" "$tmp/$side"
  git -C "$tmp/$side" -c advice.detachedHead=false checkout -q --detach "$commit"
  mkdir "$tmp/$side/build"
  ln -s "$roots" "$tmp/$side/build/roots"
  (cd "$tmp/$side" &&
   env SOURCE_DATE_EPOCH="$epoch" CMAKE_C_COMPILER_LAUNCHER=ccache \
       CMAKE_CXX_COMPILER_LAUNCHER=ccache CCACHE_DIR="$tmp/ccache" CCACHE_BASEDIR="$tmp" \
       scripts/release.sh >"$tmp/$side.log" 2>&1) || { tail -40 "$tmp/$side.log"; fail "release.sh in clone $side"; }
  echo "release from clone $side: $((SECONDS - started)) s"
done

dist=$tmp/a/dist
names=$(cd "$dist" && ls)
[ "$names" = "$(cd "$tmp/b/dist" && ls)" ] || fail "the clones' dist/ hold different files"
for f in $names; do
  cmp "$dist/$f" "$tmp/b/dist/$f" || fail "$f differs between the two clones"
done
(cd "$dist" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS"
[ "$(wc -l <"$dist/SHA256SUMS")" -eq 3 ] || fail "SHA256SUMS should name the three files"
echo "the same bytes from both clones: $(echo $names)"

# The archives hold what the README promises, owned by root with fixed modes and dates.
python3 - "$dist" "$epoch" <<'PY'
import glob, sys, tarfile, time, zipfile
dist, epoch = sys.argv[1], int(sys.argv[2])
with tarfile.open(glob.glob(dist + "/tavik-*-linux-x86_64.tar.gz")[0]) as t:
    members = {m.name.split("/", 1)[1]: m for m in t.getmembers() if "/" in m.name}
    for want in ("bin/tavik-check", "bin/tavik-disc", "share/tavik/setup.exe",
                 "share/tavik/setup", "share/tavik/autorun.sh", "share/man/man1/tavik-check.1",
                 "share/man/man1/tavik-disc.1", "sample-disc/autorun.inf"):
        assert want in members, f"tarball: no {want}"
    for m in members.values():
        assert (m.uid, m.gid, m.uname, m.gname, m.mtime) == (0, 0, "", "", epoch), m.name
        assert m.mode in (0o755, 0o644), (m.name, oct(m.mode))
with zipfile.ZipFile(glob.glob(dist + "/tavik-*-windows.zip")[0]) as z:
    names = {i.filename.split("/", 1)[1]: i for i in z.infolist()}
    for want in ("setup.exe", "tavik-check.exe", "README.txt", "sample-disc/autorun.inf",
                 "sample-disc/setup.exe"):
        assert want in names, f"zip: no {want}"
    readme = z.read(names["README.txt"].filename)
    assert b"\r\n" in readme and b"\n" not in readme.replace(b"\r\n", b""), "README.txt not CRLF"
    # One setup.exe for discs everywhere: the i686 build (PE machine 0x14c) in both archives.
    disc_exe = z.read(names["setup.exe"].filename)
    pe = int.from_bytes(disc_exe[0x3C:0x40], "little")
    assert disc_exe[pe:pe + 4] == b"PE\0\0" and disc_exe[pe + 4:pe + 6] == b"\x4c\x01", "not i686"
    assert z.read(names["sample-disc/setup.exe"].filename) == disc_exe
    with tarfile.open(glob.glob(dist + "/tavik-*-linux-x86_64.tar.gz")[0]) as t:
        shared = t.extractfile([m for m in t.getmembers()
                                if m.name.endswith("/share/tavik/setup.exe")][0]).read()
    assert shared == disc_exe, "the archives hold different setup.exe files"
    when = time.gmtime(epoch)[:6]
    when = (*when[:5], when[5] - when[5] % 2)  # a zip keeps even seconds
    for i in names.values():
        assert i.date_time == when, (i.filename, i.date_time)
print("archive members, owners, modes and dates as released")
PY

rc=0
lintian --pedantic --fail-on error,warning "$dist"/tavik_*_amd64.deb >"$tmp/lintian.txt" 2>&1 || rc=$?
grep -v "root privileges" "$tmp/lintian.txt" || true
[ $rc -eq 0 ] || fail "lintian: an error or warning (above)"
echo "lintian: no error, no warning"

python3 tests/release/release_roots.py "$roots" "$dist" "$epoch"
