#!/usr/bin/env bash
# Installs an orvex .deb on a fresh Debian 12 system, as a user would
# (apt-get install ./orvex_*.deb), and runs the installed program there:
# --version, and a two-second recording from the built-in test devices.
#
#   scripts/check-deb-install.sh orvex_1.4-1_amd64.deb
#
# The fresh system is a minimal debootstrap chroot from this machine's Debian
# mirror; it needs root and the network. The chroot runs in private mount and
# process namespaces, so no mount and no process outlives the script.
set -euo pipefail

deb="$(realpath "${1:?usage: check-deb-install.sh PACKAGE.deb}")"
if [[ $(id -u) -ne 0 ]]; then
  echo "check-deb-install: needs root (debootstrap and chroot)" >&2
  exit 1
fi
command -v debootstrap >/dev/null || { echo "check-deb-install: debootstrap is not installed" >&2; exit 1; }

work="$(mktemp -d /var/tmp/orvex-deb-check.XXXXXX)"
trap 'rm -rf --one-file-system "$work"' EXIT
root="$work/debian"

# The mirror this machine's own apt uses (deb822 sources or a sources.list line).
mirror="$(sed -n 's/^URIs:[[:space:]]*\([^[:space:]]*\).*/\1/p' /etc/apt/sources.list.d/*.sources 2>/dev/null |
  grep -v security | head -n 1 || true)"
[[ -n "$mirror" ]] || mirror="$(awk '$1 == "deb" && $2 !~ /security/ { print $2; exit }' /etc/apt/sources.list 2>/dev/null || true)"

echo "check-deb-install: making a fresh Debian 12 in $root"
start=$SECONDS
# A second try for a mirror that hiccups.
for try in 1 2; do
  if debootstrap --variant=minbase bookworm "$root" ${mirror:+"$mirror"} >"$work/debootstrap.log" 2>&1; then
    break
  fi
  tail -n 20 "$work/debootstrap.log" >&2
  if [[ $try == 2 ]]; then
    echo "check-deb-install: debootstrap failed" >&2
    exit 1
  fi
  rm -rf --one-file-system "$root"
done
echo "check-deb-install: debootstrap took $((SECONDS - start)) s"
cp /etc/resolv.conf "$root/etc/resolv.conf"
cp "$deb" "$root/tmp/"
name="$(basename "$deb")"

start=$SECONDS
unshare --mount --pid --fork --mount-proc="$root/proc" chroot "$root" /bin/sh -ec '
  export DEBIAN_FRONTEND=noninteractive PATH=/usr/sbin:/usr/bin:/sbin:/bin
  cd /tmp
  apt-get update -qq || { sleep 5; apt-get update -qq; }
  apt-get install -y -qq "./$1" >/tmp/apt.log 2>&1 || { tail -n 30 /tmp/apt.log; exit 1; }
  echo "installed: $(dpkg-query -W -f="\${Package} \${Version}" orvex)"
  orvex --version
  ORVEX_CONFIG_DIR=/tmp/config orvex --test-devices --record /tmp/clip.avi --seconds 2
  test -s /tmp/clip.avi
  test -s /usr/share/doc/orvex/manual/index.html
' sh "$name"
echo "check-deb-install: installing and running took $((SECONDS - start)) s"
