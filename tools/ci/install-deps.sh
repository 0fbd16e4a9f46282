#!/usr/bin/env bash
# Installs the Debian packages listed in packages.txt. Safe to run again: apt skips what is there.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

if [ "$(id -u)" -ne 0 ]; then
    echo "install-deps.sh: run as root (apt-get install needs it)" >&2
    exit 1
fi

mapfile -t packages < <(sed -e 's/#.*//' -e 's/[[:space:]]*$//' "$here/packages.txt" | grep -v '^$')

# 32-bit Windows programs run under Wine, which needs the i386 architecture.
if printf '%s\n' "${packages[@]}" | grep -q ':i386$'; then
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        dpkg --add-architecture i386
    fi
fi

# tftpd-hpa is a test peer that runs inside the lab only: its Debian service must never listen on
# this machine's own port 69. Keep it from starting during the installation, and stop and disable
# it wherever it got started anyway.
quiet_tftpd_service() {
    dpkg-query -W -f='${Status}' tftpd-hpa 2>/dev/null | grep -q 'install ok installed' || return 0
    if [ -d /run/systemd/system ]; then
        systemctl disable --now tftpd-hpa >/dev/null 2>&1 || true
    else
        service tftpd-hpa stop >/dev/null 2>&1 || true
        update-rc.d tftpd-hpa disable >/dev/null 2>&1 || true
    fi
}
trap quiet_tftpd_service EXIT
if [ ! -e /usr/sbin/policy-rc.d ]; then
    printf '#!/bin/sh\nexit 101\n' >/usr/sbin/policy-rc.d
    chmod 755 /usr/sbin/policy-rc.d
    trap 'rm -f /usr/sbin/policy-rc.d; quiet_tftpd_service' EXIT
fi

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
    echo "install-deps.sh: all ${#packages[@]} packages present"
    exit 0
fi
echo "install-deps.sh: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -q
apt-get install -y -q --no-install-recommends "${missing[@]}"
