#!/usr/bin/env bash
# Installs the build into a temporary root and checks what lands there, runs the installed tool on
# the installed simulator to see that an installed copy keeps its folders (INI/COM1, LOG) in the
# user's data folder, then builds the two Debian packages and checks their files, dependencies and
# lintian's verdict.
# Usage: package_install.sh BUILD_DIR
set -euo pipefail
build="$1"
work="$(mktemp -d)"
sim_pid=""
cleanup() {
  if [ -n "$sim_pid" ]; then
    kill -TERM "$sim_pid" 2>/dev/null || true
    wait "$sim_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}
need() {
  command -v "$1" >/dev/null || fail "$1 is missing: scripts/setup $2 installs it (as scripts/test)"
}
need desktop-file-validate desktop-file-utils
need dpkg-deb dpkg
need dpkg-shlibdeps dpkg-dev
need file file
need lintian lintian

root="$work/root"
cmake --install "$build" --prefix "$root/usr" >/dev/null
for exe in ktv31-service ktv31-cli ktv31-sim; do
  [ -x "$root/usr/bin/$exe" ] || fail "usr/bin/$exe not installed"
done
desktop="$root/usr/share/applications/ktv31-service.desktop"
[ -f "$desktop" ] || fail "no desktop entry"
desktop-file-validate "$desktop" || fail "desktop-file-validate refuses the desktop entry"
# Cyrillic letters are the two-byte UTF-8 sequences that start with D0 or D1.
cyrillic=$'[\xd0\xd1]'
for key in Name Comment; do
  LC_ALL=C grep -q "^$key=.*$cyrillic" "$desktop" || fail "the desktop entry's $key is not Russian"
done
grep -q '^Exec=ktv31-service$' "$desktop" || fail "the desktop entry does not start ktv31-service"
grep -q '^Icon=ktv31-service$' "$desktop" || fail "the desktop entry names another icon"
icon="$root/usr/share/icons/hicolor/scalable/apps/ktv31-service.svg"
grep -q '<svg' "$icon" 2>/dev/null || fail "no icon at ${icon#"$root"}"

# The installed copy, even where it could write beside itself, uses the user's data folder.
export HOME="$work/home" XDG_DATA_HOME="$work/data"
data="$XDG_DATA_HOME/ktv31"
# Taken whole first: grep -q leaving early would cut the tool off with SIGPIPE mid-write.
help="$("$root/usr/bin/ktv31-cli" --help)"
grep -qF "Папка программы (INI, CONFIG, LOG): $data/" <<<"$help" \
  || fail "the installed tool does not name $data/ as its folder"
mkdir -p "$data/INI"
coproc SIM { exec "$root/usr/bin/ktv31-sim" --link "$data/INI/COM1" --speed 1200 --no-log; }
sim_pid=$SIM_PID
read -r -t 10 -u "${SIM[0]}" device || fail "the installed simulator did not start"
"$root/usr/bin/ktv31-cli" --port 1 --speed 1200 --direct identify >/dev/null \
  || fail "the installed tool did not identify the simulator through $data/INI/COM1 ($device)"
log="$data/LOG/exchange.log"
for label in TX RX RESULT; do
  grep -q " $label " "$log" 2>/dev/null || fail "no $label line in $log"
done
for folder in INI CONFIG LOG; do
  [ ! -e "$root/usr/bin/$folder" ] || fail "$folder made beside the installed executables"
done

(cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/package" >/dev/null) \
  || fail "cpack could not build the packages"
deb="$(ls "$work"/package/ktv31-service_*.deb)"
sim_deb="$(ls "$work"/package/ktv31-service-sim_*.deb)"
depends="$(dpkg-deb -f "$deb" Depends)"
for package in libqt6core6 libqt6gui6 libqt6widgets6 libqt6serialport6 qt6-qpa-plugins \
    qt6-translations-l10n; do
  grep -qE "(^|, )$package( |,|$)" <<<"$depends" || fail "$package is not in Depends: $depends"
done
# has_paths DEB PATH...: each path is in the package.
has_paths() {
  local contents
  contents="$(dpkg-deb -c "$1")"
  shift
  for path in "$@"; do
    grep -qF " ./$path" <<<"$contents" || fail "$path is not in the package"
  done
}
has_paths "$deb" usr/bin/ktv31-service usr/bin/ktv31-cli \
  usr/share/applications/ktv31-service.desktop \
  usr/share/icons/hicolor/scalable/apps/ktv31-service.svg \
  usr/share/man/man1/ktv31-service.1.gz usr/share/man/man1/ktv31-cli.1.gz \
  usr/share/doc/ktv31-service/copyright usr/share/doc/ktv31-service/changelog.gz
has_paths "$sim_deb" usr/bin/ktv31-sim usr/share/man/man1/ktv31-sim.1.gz \
  usr/share/doc/ktv31-service-sim/copyright usr/share/doc/ktv31-service-sim/changelog.gz
# The simulator is a test tool: not on the PATH of everyone who installs the program.
! dpkg-deb -c "$deb" | grep -q 'ktv31-sim' || fail "ktv31-service carries the simulator"

# The tool's manual page is its --help of this build, the program folder that of an installed copy.
page_text="$(zcat "$root/usr/share/man/man1/ktv31-cli.1.gz" | sed -n '/^\.nf$/,/^\.fi$/p' \
  | sed -e '1d;$d' -e 's/^\\&//' -e 's/\\-/-/g' -e 's/\\e/\\/g')"
diff <(echo "${help//"$data"/'~/.local/share/ktv31'}") <(echo "$page_text") >&2 \
  || fail "ktv31-cli.1 differs from ktv31-cli --help (above)"

# lintian's errors fail; its warnings are explained in docs/packaging.md.
lintian --fail-on error "$deb" "$sim_deb" || fail "lintian reports an error"
echo "$(basename "$deb"): Depends: $depends"
echo "$(basename "$sim_deb"): Depends: $(dpkg-deb -f "$sim_deb" Depends)"
