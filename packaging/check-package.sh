#!/usr/bin/env bash
# Builds the Debian package from a configured build folder, unpacks it into a temporary root
# and runs both programs from there: the command-line tool's version and a conversion through
# the installed modules, and the window's start.
set -euo pipefail
build="$1"
savf_dir="${2:-}"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# cpack installs what is built: the installed targets are brought up to date first.
cmake --build "$build" --target quelvane quelvane-cli trnnls trnsdt quelvane_man_pages >/dev/null
(cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log") ||
  { cat "$work/cpack.log"; exit 1; }
deb="$(ls "$work"/out/quelvane_*.deb)"
dpkg-deb --field "$deb" Depends | grep -q 'libqt6widgets6' || { echo "no Qt dependency"; exit 1; }

root="$work/root"
dpkg -x "$deb" "$root"
for path in usr/bin/quelvane usr/bin/quelvane-cli usr/share/applications/quelvane.desktop \
  usr/share/mime/packages/quelvane-savefile.xml usr/share/man/man1/quelvane.1.gz \
  usr/share/man/man1/quelvane-cli.1.gz usr/share/icons/hicolor/scalable/apps/quelvane.svg; do
  [ -e "$root/$path" ] || { echo "missing /$path"; exit 1; }
done
ls "$root"/usr/lib/quelvane/libtrnnls.so "$root"/usr/lib/quelvane/libtrnsdt.so >/dev/null
# A build given the web page carries it, whole: one file that fetches nothing beside it.
if grep -q '^QUELVANE_WEB_PAGE:FILEPATH=.' "$build/CMakeCache.txt"; then
  page="$root/usr/share/quelvane/web/quelvane.html"
  [ -s "$page" ] || { echo "missing /usr/share/quelvane/web/quelvane.html"; exit 1; }
  tail -c 64 "$page" | grep -q '</html>' || { echo "the installed web page is cut short"; exit 1; }
fi

# The programs keep their settings beside themselves when that folder can be written, as it
# can here: a configuration of their own keeps the user's real one out of the test.
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config"
mkdir -p "$XDG_CONFIG_HOME"

# Output is taken whole before it is searched: grep -q stops reading at the first match, and
# under pipefail the writer's broken pipe would fail the check.
version="$("$root/usr/bin/quelvane-cli" --version)"
grep -q 'Quelvane\|quelvane\|[0-9]' <<<"$version" ||
  { echo "quelvane-cli --version printed nothing"; exit 1; }
sample="$savf_dir/VCF_VCFV1R0.SAVF"
if [ -r "$sample" ]; then
  # Converting the library name needs the modules found beside the installed program.
  tree="$("$root/usr/bin/quelvane-cli" tree "$sample" --ebcdic 37 --pc 1252)" ||
    { echo "quelvane-cli tree failed"; exit 1; }
  grep -q 'VCF' <<<"$tree" || { echo "quelvane-cli tree did not convert"; exit 1; }
fi
QT_QPA_PLATFORM=offscreen timeout 60 "$root/usr/bin/quelvane" --quit-after-start ||
  { echo "quelvane did not start"; exit 1; }
echo "package $(basename "$deb") installs and runs"
