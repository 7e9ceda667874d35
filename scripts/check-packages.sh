#!/usr/bin/env bash
# Checks the Debian packages in BUILD_DIR (made by `cmake --build BUILD_DIR --target package`) on this
# machine, as root: lintian finds no errors; they install; the programs, the manual page, the desktop
# entry and the AppStream data are in place; the service's own command line reads a replay; removing
# them leaves only the configuration file, and purging leaves nothing.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
shopt -s nullglob
debs=("$build"/talvo-*.deb)
[ "${#debs[@]}" -gt 0 ] || { echo "no packages in $build" >&2; exit 1; }
ls -l "${debs[@]}"

# Errors fail; warnings are shown. The package is native and has no source package to check.
lintian --fail-on error --suppress-tags no-manual-page "${debs[@]}"

names=()
for deb in "${debs[@]}"; do names+=("$(dpkg-deb -f "$deb" Package)"); done
$SUDO apt-get install -y -qq "${debs[@]/#/./}" >/dev/null
trap '$SUDO dpkg --purge "${names[@]}" >/dev/null 2>&1 || true' EXIT
# Every file (not folder) the packages put on the disk.
files=$(dpkg -L "${names[@]}" | sort -u | while read -r f; do [ -d "$f" ] || echo "$f"; done)

talvo-cli --version
talvo-sim --help >/dev/null
man -w talvo-cli
getent passwd talvo >/dev/null || { echo "no talvo user" >&2; exit 1; }
if systemctl is-enabled talvo-read.service >/dev/null 2>&1; then
    echo "the service was enabled on install" >&2
    exit 1
fi

# The service's command line, as the service's user, with a replay instead of the readers it names.
unit=$(dpkg -L talvo-cli | grep '/talvo-read.service$')
exec_line=$(sed -n 's/^ExecStart=//p' "$unit")
replay=$(mktemp)
cp demo/demo-reports.txt "$replay"
chmod 0644 "$replay"
# shellcheck disable=SC2086 # the unit's command line is split into words as systemd splits it
out=$($SUDO runuser -u talvo -- env -C /var/lib/talvo $exec_line --replay "$replay" --count 5)
rm -f "$replay"
[ "$(printf '%s\n' "$out" | grep -c '"uid"')" -eq 5 ] || { echo "the service read: $out" >&2; exit 1; }

if dpkg -s talvo-utility >/dev/null 2>&1; then
    desktop-file-validate /usr/share/applications/*talvo*.desktop
    appstreamcli validate --no-net /usr/share/metainfo/*talvo*.metainfo.xml
    talvo-utility --version
fi

# Removed: only the configuration file stays. Purged: nothing stays.
left() { for f in $files; do if [ -e "$f" ] || [ -L "$f" ]; then echo "$f"; fi; done; }
$SUDO apt-get remove -y -qq "${names[@]}" >/dev/null
[ "$(left)" = "/etc/talvo/read.ini" ] || { echo "left after remove: $(left)" >&2; exit 1; }
$SUDO dpkg --purge "${names[@]}" >/dev/null
[ -z "$(left)" ] || { echo "left after purge: $(left)" >&2; exit 1; }
for dir in /etc/talvo /var/lib/talvo; do
    [ ! -e "$dir" ] || { echo "left after purge: $dir" >&2; exit 1; }
done
trap - EXIT
echo "Packages: lintian clean of errors, installed, checked, removed and purged: ${names[*]}"
