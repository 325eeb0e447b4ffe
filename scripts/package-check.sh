#!/usr/bin/env bash
# Installs the package for real and takes it away again (root: it changes
# /usr). Builds it (scripts/package.sh), installs it with apt so its
# dependencies resolve, runs the installed lumohost --version, starts it in a
# new home without databases (it must not wait for an answer), creates the
# demo there and takes a screenshot under Xvfb, then purges the package and
# checks that nothing of it is left in /usr.
#   bash scripts/package-check.sh [screenshot file, default build-package/lumohost-installed.png]
set -euo pipefail
cd "$(dirname "$0")/.."
SHOT=$(realpath -m "${1:-build-package/lumohost-installed.png}")
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"

deb=$(bash scripts/package.sh | tail -n 1)
version=$(dpkg-deb -f "$deb" Version)
echo "package-check: $deb"
dpkg-deb -c "$deb" | awk '{ print $1, $6 }'

home=$(mktemp -d)
purge() {
  rm -rf "$home"
  if dpkg-query -W lumohost >/dev/null 2>&1; then
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get purge -y -qq lumohost >/dev/null
  fi
}
trap purge EXIT

DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "$deb" >/dev/null
installed=$(dpkg -L lumohost)

out=$(/usr/bin/lumohost --version)
echo "package-check: $out"
case "$out" in "lumohost $version "*) ;; *) echo "package-check: --version does not say $version" >&2; exit 1 ;; esac

# A first start with no databases in an unattended run: it tells how and ends.
status=0
err=$(HOME="$home" QT_QPA_PLATFORM=offscreen timeout 60 /usr/bin/lumohost 2>&1 >/dev/null) || status=$?
if [ "$status" -ne 2 ] || ! grep -q -- "--create-demo" <<<"$err"; then
  echo "package-check: a first start without databases ended with $status: $err" >&2
  exit 1
fi

mkdir -p "$(dirname "$SHOT")"
HOME="$home" xvfb-run -a -s "-screen 0 1400x860x24" timeout 120 /usr/bin/lumohost --create-demo --screenshot "$SHOT"
for f in hr.db rcms.db lumohost.log; do
  [ -f "$home/.local/share/lumohost/$f" ] || { echo "package-check: no $f in the data folder" >&2; exit 1; }
done
echo "package-check: screenshot of the installed host: $SHOT"

DEBIAN_FRONTEND=noninteractive $SUDO apt-get purge -y -qq lumohost >/dev/null
left=()
while IFS= read -r path; do
  # Folders shared with other packages (/usr, /usr/bin, ...) stay; the
  # package's own files and folders must be gone.
  if [ -e "$path" ] && { [ ! -d "$path" ] || [[ "$path" == *lumohost* ]]; }; then
    left+=("$path")
  fi
done <<<"$installed"
while IFS= read -r path; do left+=("$path"); done < <(find /usr \( -iname '*lumohost*' -o -iname '*LumoUserMag*' \) 2>/dev/null)
if [ ${#left[@]} -gt 0 ]; then
  echo "package-check: left after the purge: ${left[*]}" >&2
  exit 1
fi
echo "package-check: installed, ran and purged; nothing of lumohost is left in /usr"
