#!/usr/bin/env bash
# Builds the Debian package from a Release build and checks it: the desktop
# entry and the metainfo validate, lintian finds nothing to report, the
# package holds every file an installed game needs, and the programs run
# from a scratch root that the package is unpacked into, as root and as
# another user, without writing anything under the installed prefix.
#
# usage: scripts/package.sh [BUILD_DIR]   (default build-package; a Release tree)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(realpath -m "${1:-$root/build-package}")"

# A new tree builds only the programs that ship: no tests, no benchmarks. An
# existing Release tree (the test run's) is used as it is configured, so that
# the shipped programs are not compiled a second time.
if [ -f "$build/CMakeCache.txt" ]; then
  build_type="$(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$build/CMakeCache.txt")"
  [ "$build_type" = Release ] || {
    echo "$build is a '$build_type' build; the package comes from a Release build only" >&2
    exit 1
  }
else
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DZORBLE_TESTS=OFF -DZORBLE_BENCH=OFF -DZORBLE_WERROR=ON >/dev/null
fi
cmake --build "$build" -j "$(nproc)" --target zorble zorble-lzrw1 zorble_icons zorble_docs

desktop-file-validate "$root/packaging/io.github.zorble.Zorble.desktop"
appstreamcli validate --no-net "$root/packaging/io.github.zorble.Zorble.metainfo.xml"

rm -rf "$build/package"
(cd "$build" && cpack -G DEB -B "$build/package" >/dev/null)
deb="$(ls "$build"/package/zorble_*.deb)"
echo "built $deb"

version="$(sed -n 's/^project(Zorble VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")"
fail() { echo "$*" >&2; exit 1; }
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "the package's version is not $version"
[ "$(dpkg-parsechangelog -l "$root/packaging/changelog" -S Version)" = "$version" ] ||
  fail "packaging/changelog has no entry for $version at its top"

# Each line of the long description is a line of the text, not a piece of a
# CMake list.
description="$(dpkg-deb -f "$deb" Description)"
! grep -q '^ *;' <<<"$description" || fail "the description has lines that begin with ';'"

contents="$(dpkg-deb -c "$deb")"
for path in ./usr/games/zorble ./usr/games/zorble-lzrw1 \
    ./usr/share/applications/io.github.zorble.Zorble.desktop \
    ./usr/share/metainfo/io.github.zorble.Zorble.metainfo.xml \
    ./usr/share/man/man6/zorble.6.gz ./usr/share/man/man6/zorble-lzrw1.6.gz \
    ./usr/share/doc/zorble/copyright ./usr/share/doc/zorble/changelog.gz \
    ./usr/share/zorble/zorbletiles/slate_big.bmp \
    ./usr/share/icons/hicolor/scalable/apps/io.github.zorble.Zorble.svg \
    ./usr/share/icons/hicolor/48x48/apps/io.github.zorble.Zorble.png \
    ./usr/share/icons/hicolor/128x128/apps/io.github.zorble.Zorble.png \
    ./usr/share/icons/hicolor/256x256/apps/io.github.zorble.Zorble.png; do
  grep -q " $path\$" <<<"$contents" || fail "the package lacks $path"
done
dpkg-deb -f "$deb" Depends | grep -q libqt6 || fail "no Qt dependency computed"

# No error, no warning; a tag that is wrong for this package is overridden
# in packaging/lintian-overrides, each with its reason.
lintian --fail-on error,warning "$deb"

scratch="$(mktemp -d)"
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$scratch"
}
trap cleanup EXIT
chmod 755 "$scratch"
prefix="$scratch/root/usr"
dpkg -x "$deb" "$scratch/root"
installed="$("$prefix/games/zorble" --version)"
[ "$installed" = "zorble $version" ] || fail "installed zorble --version says: $installed"
found="$("$prefix/games/zorble" --check-word word)"
[ "$found" = "word: found" ] || fail "installed zorble --check-word says: $found"

# The installed game runs as USER, with its window (offscreen) but without a
# game, so that it needs no network, and ends on SIGTERM. It offers the
# installed tile sets, saves its tally in the user's data folder and leaves
# the prefix as it was, even for root, who could write there.
play_installed() {
  local user=$1 home="$scratch/home-$1"
  mkdir -p "$home"
  chown "$user" "$home"
  find "$scratch/root" -printf '%p %s %T@ %m\n' | sort >"$scratch/before"
  setpriv --reuid="$user" --regid="$(id -g "$user")" --clear-groups \
    env -i PATH=/usr/bin:/bin HOME="$home" QT_QPA_PLATFORM=offscreen \
    ZORBLE_NO_INSTANCE_GUARD=1 ZORBLE_CHAT_CONSOLE=1 ZORBLE_STATE_FILE="$home/state.json" \
    "$prefix/games/zorble" Tester </dev/null >"$home/out" 2>"$home/err" &
  local pid=$!
  pids+=("$pid")
  for _ in $(seq 150); do grep -qs 'Loading' "$home/out" && break; sleep 0.1; done
  grep -qs 'Loading' "$home/out" || fail "installed zorble as $user did not start: $(cat "$home/err")"
  kill -TERM "$pid"
  wait "$pid" || fail "installed zorble as $user ended with status $?: $(cat "$home/err")"
  find "$scratch/root" -printf '%p %s %T@ %m\n' | sort >"$scratch/after"
  diff -u "$scratch/before" "$scratch/after" >&2 || fail "zorble as $user changed the installed prefix"
  [ -f "$home/.local/share/zorble/zorbletally.tld" ] || fail "zorble as $user saved no tally in its data folder"
  local sets
  sets="$(tr -d ' \n' <"$home/state.json" | grep -o '"tileSets":\[[^]]*\]' || true)"
  [ "$sets" = '"tileSets":["classic","slate"]' ] || fail "installed zorble as $user offers the tile sets: $sets"
  echo "installed zorble as $user: prefix untouched, tile sets classic and slate, tally in $home"
}
play_installed root
play_installed nobody

echo "package checked: $(dpkg-deb -f "$deb" Package Version Section Installed-Size | tr '\n' ' ')$(stat -c %s "$deb") bytes"
