#!/usr/bin/env bash
# Builds the .deb of a configured build tree, installs it into a fresh minimal Debian 12 root
# (apt resolves the package's own dependencies, so a missing Depends shows), and plays the
# demonstration call headless from the installed /usr/bin/qlnrec in a throw-away home. Passes
# when the package holds every installed file, the program ran to its end, the call was recorded
# as a WAVE file and the signal-analysis library was found.
#
# Usage: install_and_run.sh BUILD_DIR   (configured with -DCMAKE_INSTALL_PREFIX=/usr)
# Needs root, mmdebstrap and a Debian mirror (QLNREC_DEBIAN_MIRROR, default deb.debian.org).
set -euo pipefail

build_dir=$(cd "${1:?usage: $0 BUILD_DIR}" && pwd)
mirror=${QLNREC_DEBIAN_MIRROR:-http://deb.debian.org/debian}
security=${QLNREC_DEBIAN_SECURITY_MIRROR:-http://deb.debian.org/debian-security}

fail() {
  echo "package test: $*" >&2
  exit 1
}

[ "$(id -u)" -eq 0 ] || fail "needs root (a chroot is made)"
command -v mmdebstrap >/dev/null || fail "mmdebstrap is missing (scripts/install-deps.sh)"
prefix=$(sed -n 's/^CMAKE_INSTALL_PREFIX:PATH=//p' "$build_dir/CMakeCache.txt")
[ "$prefix" = /usr ] || fail "$build_dir is configured for prefix '$prefix', not /usr"

work=$(mktemp -d /tmp/qlnrec-package.XXXXXX)
trap 'rm -rf "$work"' EXIT

# The package, from what the build tree installs.
(cd "$build_dir" && cpack -G DEB -B "$work/cpack" >"$work/cpack.log" 2>&1) ||
  { cat "$work/cpack.log" >&2; fail "cpack failed"; }
debs=("$work"/cpack/qlnrec_*_amd64.deb)
[ -f "${debs[0]}" ] || fail "cpack made no qlnrec_<version>_amd64.deb"
deb=${debs[0]}
echo "package: $(basename "$deb") ($(du -h "$deb" | cut -f1))"
dpkg-deb --field "$deb" Package Version Architecture Section Depends

# Every file a desktop user relies on is in the package.
dpkg-deb --contents "$deb" | awk '{print $NF}' | sed 's|^\./|/|' >"$work/contents"
for wanted in \
  /usr/bin/qlnrec \
  "/usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)/libSigScan.so" \
  /usr/share/applications/org.qlnrec.Qlnrec.desktop \
  /usr/share/metainfo/org.qlnrec.Qlnrec.metainfo.xml \
  /usr/share/icons/hicolor/scalable/apps/qlnrec.svg \
  /usr/share/icons/hicolor/16x16/apps/qlnrec.png \
  /usr/share/icons/hicolor/256x256/apps/qlnrec.png \
  /usr/share/man/man1/qlnrec.1.gz \
  /usr/share/qlnrec/help/helpen.htm \
  /usr/share/qlnrec/help/helpgb.htm \
  /usr/share/qlnrec/help/helpbig5.htm \
  /usr/share/qlnrec/prompts/en/Greeting.wav \
  /usr/share/qlnrec/prompts/zh-TW/04.wav; do
  grep -qxF "$wanted" "$work/contents" || fail "the package lacks $wanted"
done

# The desktop entry, the AppStream metadata and the icons agree with each other as installed.
dpkg-deb --extract "$deb" "$work/tree"
appstreamcli validate-tree --no-net "$work/tree" || fail "the installed desktop metadata does not validate"

# The run inside the fresh root: the demonstration call in virtual time, in a throw-away home.
cat >"$work/run.sh" <<'EOF'
#!/bin/sh
set -eu
home=/tmp/qlnrec-home
mkdir -p "$home"
cd "$home"
status=0
env -i PATH=/usr/bin:/bin HOME="$home" TMPDIR="$home" QT_QPA_PLATFORM=offscreen LANG=C.UTF-8 \
  /usr/bin/qlnrec --demo --home "$home/demo" --virtual-time --exit-when-done >"$home/run.log" 2>&1 ||
  status=$?
cat "$home/run.log"
[ "$status" -eq 0 ] || { echo "qlnrec ended with status $status"; exit 1; }
EOF
chmod 0755 "$work/run.sh"

deb_dir=$(dirname "$deb")
mkdir "$work/home" # what the run left, brought out before the root's /tmp is emptied
# The .deb must lie at the same path inside the root, where dpkg reads it.
mmdebstrap --mode=root --variant=apt --format=directory \
  --setup-hook="mkdir -p \"\$1$deb_dir\"" \
  --setup-hook="copy-in $deb $deb_dir" \
  --include="$deb" \
  --customize-hook="copy-in $work/run.sh /usr/local/bin" \
  --customize-hook='chroot "$1" /usr/local/bin/run.sh' \
  --customize-hook="sync-out /tmp/qlnrec-home $work/home" \
  bookworm "$work/root" \
  "deb $mirror bookworm main" "deb $mirror bookworm-updates main" \
  "deb $security bookworm-security main" >"$work/mmdebstrap.log" 2>&1 ||
  { tail -n 60 "$work/mmdebstrap.log" >&2; fail "installing or running the package in a fresh root failed"; }
sed -n '/main window loaded/,$p' "$work/mmdebstrap.log"

# The window icon is an SVG: the icon plugin must have come with the package's dependencies.
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
[ -f "$work/root/usr/lib/$multiarch/qt6/plugins/iconengines/libqsvgicon.so" ] ||
  fail "installing the package brought no SVG icon plugin: the window would have no icon"

demo="$work/home/demo"
mapfile -t recordings < <(find "$demo" -type f -name 'A~*.wav')
[ "${#recordings[@]}" -gt 0 ] || { find "$demo" >&2; fail "the demonstration call left no recording"; }
for recording in "${recordings[@]}"; do
  [ "$(head -c 4 "$recording")" = RIFF ] || fail "$recording is not a WAVE file"
  [ "$(stat -c %s "$recording")" -gt 16044 ] || fail "$recording holds less than a second"
  echo "recorded: $(basename "$recording") ($(stat -c %s "$recording") bytes)"
done
ls "$demo"/LogFiles/*.txt >/dev/null 2>&1 || fail "the demonstration wrote no day log"
if grep -rq "Signal analysis library" "$demo/LogFiles"; then
  fail "the installed program did not find libSigScan.so: $(grep -rh "Signal analysis library" "$demo/LogFiles")"
fi
echo "package test passed"
