#!/usr/bin/env bash
# Builds the Debian package and checks it: the desktop entry and the metainfo
# validate, the package holds every file an installed game needs, and the
# programs run from a scratch root that the package is unpacked into.
#
# usage: scripts/package.sh [BUILD_DIR]   (default build-package, a release build)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(realpath -m "${1:-$root/build-package}")"
if [ ! -f "$build/CPackConfig.cmake" ]; then
  "$root/scripts/build.sh" "$build" -DCMAKE_BUILD_TYPE=Release -DZORBLE_TESTS=OFF -DZORBLE_BENCH=OFF
else
  cmake --build "$build" -j "$(nproc)"
fi

desktop-file-validate "$root/packaging/io.github.zorble.Zorble.desktop"
appstreamcli validate --no-net "$root/packaging/io.github.zorble.Zorble.metainfo.xml"

(cd "$build" && cpack -G DEB -B "$build/package" >/dev/null)
deb="$(ls -t "$build"/package/zorble_*.deb | head -1)"
echo "built $deb"

contents="$(dpkg-deb -c "$deb")"
missing=0
for path in ./usr/bin/zorble ./usr/bin/zorble-lzrw1 \
    ./usr/share/applications/io.github.zorble.Zorble.desktop \
    ./usr/share/metainfo/io.github.zorble.Zorble.metainfo.xml \
    ./usr/share/man/man6/zorble.6 \
    ./usr/share/zorble/zorbletiles/slate_big.bmp \
    ./usr/share/icons/hicolor/scalable/apps/io.github.zorble.Zorble.svg \
    ./usr/share/icons/hicolor/48x48/apps/io.github.zorble.Zorble.png \
    ./usr/share/icons/hicolor/128x128/apps/io.github.zorble.Zorble.png \
    ./usr/share/icons/hicolor/256x256/apps/io.github.zorble.Zorble.png; do
  grep -q " $path\$" <<<"$contents" || { echo "the package lacks $path" >&2; missing=1; }
done
dpkg-deb -f "$deb" Depends | grep -q libqt6 || { echo "no Qt dependency computed" >&2; missing=1; }
[ "$missing" = 0 ]

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
dpkg -x "$deb" "$scratch"
version="$("$scratch/usr/bin/zorble" --version)"
[ "$version" = "zorble 2.1.1" ] || { echo "installed zorble --version says: $version" >&2; exit 1; }
found="$("$scratch/usr/bin/zorble" --check-word word)"
[ "$found" = "word: found" ] || { echo "installed zorble --check-word says: $found" >&2; exit 1; }
echo "package checked: $(dpkg-deb -f "$deb" Package Version Section | tr '\n' ' ')"
