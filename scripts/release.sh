#!/usr/bin/env bash
# Writes the release into dist/: the Windows zip (the disc's setup.exe, tavik-check.exe, the
# sample disc), the Linux tarball (the tools built against Debian 11, the disc payloads, the
# manual pages, the sample disc), the Debian package, and SHA256SUMS. One SOURCE_DATE_EPOCH
# (default: the date of the checked-out commit) gives the same bytes on every run: members
# sorted, owned by root, fixed modes and dates.
set -euo pipefail
cd "$(dirname "$0")/.."
umask 022
export LC_ALL=C.UTF-8 TZ=UTC
version=$(sed -n 's/^project(Tavik VERSION \([0-9.]*\) .*/\1/p' CMakeLists.txt)
[ -n "$version" ] || { echo "release: no version in CMakeLists.txt" >&2; exit 1; }
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}

scripts/deps.sh
scripts/disc_roots.sh sysroot
jobs=$(nproc)
build() {
  local preset=$1
  shift
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs" --target "$@"
}
build win32 setup sample-disc
build win64 tavik-check
build linux-disc setup tavik-check tavik-disc disc_autorun

# What each archive takes from the build trees.
disc_exe=build/win32/app/win32/setup.exe
check_exe=build/win64/tools/tavik_check/tavik-check.exe
viewer_exe=build/win32/sample-disc/tools/viewer.exe
linux=build/linux-disc
for f in "$disc_exe" "$check_exe" "$viewer_exe" "$linux/setup" "$linux/tavik-check" \
         "$linux/tavik-disc" "$linux/autorun.sh" "$linux/tavik-check.1" "$linux/tavik-disc.1"; do
  [ -f "$f" ] || { echo "release: $f was not built" >&2; exit 1; }
done
# The tools run wherever the disc's setup runs: the same symbol and library ceiling.
for f in setup tavik-check tavik-disc; do
  python3 tests/disc/linux_symbols.py "$linux/$f" >/dev/null
done

stage=build/release
rm -rf "$stage" dist
mkdir -p "$stage" dist
win=$stage/tavik-$version-windows
lin=$stage/tavik-$version-linux-x86_64
deb=$stage/deb

# The sample disc with its Windows viewer, so that an image made from it works on both systems.
sample_disc() {
  mkdir -p "$1"
  cp -R examples/disc/. "$1/"
  cp "$viewer_exe" "$1/tools/viewer.exe"
}
# Linux programs as Debian ships them: no symbol table, no compiler notes.
install_elf() {
  install -m 0755 "$1" "$2"
  strip --remove-section=.comment --remove-section=.note --strip-unneeded "$2"
}
subst() {
  sed -e "s/@VERSION@/$version/g" "$@"
}

# Windows: setup.exe, tavik-check.exe, a sample disc ready to copy, README.txt with CRLF.
mkdir -p "$win"
cp "$disc_exe" "$win/setup.exe"
cp "$check_exe" "$win/tavik-check.exe"
sample_disc "$win/sample-disc"
cp "$disc_exe" "$win/sample-disc/setup.exe"
subst packaging/README-windows.txt | sed 's/$/\r/' >"$win/README.txt"

# Linux: bin/, share/tavik/ (found by tavik-disc beside its bin/), share/man/man1/.
mkdir -p "$lin/bin" "$lin/share/tavik" "$lin/share/man/man1"
install_elf "$linux/tavik-check" "$lin/bin/tavik-check"
install_elf "$linux/tavik-disc" "$lin/bin/tavik-disc"
install_elf "$linux/setup" "$lin/share/tavik/setup"
install -m 0644 "$disc_exe" "$lin/share/tavik/setup.exe"
install -m 0755 "$linux/autorun.sh" "$lin/share/tavik/autorun.sh"
install -m 0644 "$linux/tavik-check.1" "$linux/tavik-disc.1" "$lin/share/man/man1/"
sample_disc "$lin/sample-disc"
subst packaging/README-linux.txt >"$lin/README.txt"

# Debian: the same under /usr, manual pages and changelog gzipped, copyright machine-readable.
mkdir -p "$deb/DEBIAN" "$deb/usr/share/man/man1" "$deb/usr/share/doc/tavik/examples"
cp -R "$lin/bin" "$deb/usr/bin"
cp -R "$lin/share/tavik" "$deb/usr/share/tavik"
for page in tavik-check tavik-disc; do
  gzip -n -9 <"$lin/share/man/man1/$page.1" >"$deb/usr/share/man/man1/$page.1.gz"
done
sample_disc "$deb/usr/share/doc/tavik/examples/sample-disc"
cp packaging/debian/copyright "$deb/usr/share/doc/tavik/copyright"
mkdir -p "$deb/usr/share/lintian/overrides"
cp packaging/debian/lintian-overrides "$deb/usr/share/lintian/overrides/tavik"
subst packaging/debian/changelog.in | sed "s/@DATE@/$(date -R -d "@$SOURCE_DATE_EPOCH")/" |
  gzip -n -9 >"$deb/usr/share/doc/tavik/changelog.gz"

# One set of modes and dates for every archive, whatever the umask and clone time were.
for tree in "$win" "$lin" "$deb"; do
  chmod -R u=rwX,go=rX "$tree"
  find "$tree" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
done

# The package's run-time dependencies: what its programs link (the disc payloads in
# /usr/share/tavik/ only go on discs), and xorriso, which tavik-disc runs.
shlibs_dir=$stage/shlibs
mkdir -p "$shlibs_dir/debian"
printf 'Source: tavik\n\nPackage: tavik\nArchitecture: amd64\n' >"$shlibs_dir/debian/control"
shlibs=$(cd "$shlibs_dir" && dpkg-shlibdeps --warnings=1 -O "$OLDPWD/$deb/usr/bin/tavik-check" \
           "$OLDPWD/$deb/usr/bin/tavik-disc" | sed -n 's/^shlibs:Depends=//p')
[ -n "$shlibs" ] || { echo "release: dpkg-shlibdeps found no dependencies" >&2; exit 1; }
installed_size=$(du -s -k --apparent-size --exclude=DEBIAN "$deb" | cut -f1)
subst packaging/debian/control.in | sed -e "s/@SHLIBS@/$shlibs/" \
  -e "s/@INSTALLED_SIZE@/$installed_size/" >"$deb/DEBIAN/control"
(cd "$deb" && find usr -type f | sort | xargs md5sum >DEBIAN/md5sums)
chmod 0644 "$deb/DEBIAN/control" "$deb/DEBIAN/md5sums"
touch -h -d "@$SOURCE_DATE_EPOCH" "$deb/DEBIAN" "$deb/DEBIAN/control" "$deb/DEBIAN/md5sums"

python3 - "$win" "dist/tavik-$version-windows.zip" <<'PY'
# The zip with its members sorted, a fixed date and fixed modes (zipfile stores what it is told).
import os, sys, time, zipfile
tree, out = sys.argv[1], sys.argv[2]
base = os.path.dirname(tree)
when = time.gmtime(max(int(os.environ["SOURCE_DATE_EPOCH"]), 315532800))[:6]  # zip starts 1980
entries = []
for folder, dirs, files in os.walk(tree):
    entries.append(folder)
    entries += [os.path.join(folder, f) for f in files]
with zipfile.ZipFile(out, "w") as z:
    for path in sorted(entries, key=lambda p: os.path.relpath(p, base)):
        name = os.path.relpath(path, base) + ("/" if os.path.isdir(path) else "")
        info = zipfile.ZipInfo(name, when)
        info.create_system = 3  # Unix: the modes below mean what they say
        if os.path.isdir(path):
            info.external_attr = (0o40755 << 16) | 0x10
            z.writestr(info, b"")
        else:
            mode = 0o755 if os.access(path, os.X_OK) else 0o644
            info.external_attr = (0o100000 | mode) << 16
            info.compress_type = zipfile.ZIP_DEFLATED
            with open(path, "rb") as f:
                z.writestr(info, f.read(), compresslevel=9)
PY
tar --sort=name --owner=0 --group=0 --numeric-owner --mtime="@$SOURCE_DATE_EPOCH" \
    --format=gnu -C "$stage" -cf - "$(basename "$lin")" | gzip -n -9 >"dist/tavik-$version-linux-x86_64.tar.gz"
dpkg-deb --root-owner-group -Zxz --build "$deb" "dist/tavik_${version}_amd64.deb" >/dev/null
(cd dist && sha256sum "tavik-$version-windows.zip" "tavik-$version-linux-x86_64.tar.gz" \
   "tavik_${version}_amd64.deb" >SHA256SUMS)
cat dist/SHA256SUMS
