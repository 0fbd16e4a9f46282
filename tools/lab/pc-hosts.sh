#!/usr/bin/env bash
# Runs COMMAND on the lab's PC host with the lab's own hosts file and name service switch
# (QS_LAB_HOSTS, QS_LAB_NSSWITCH from daytime-setup.sh) mounted over /etc for it alone, so that
# host names resolve from that file and no lookup is ever sent anywhere. With QS_LAB_CA_BUNDLE
# (ftp-setup.sh) that file stands in for the system's trust store too.
#
#   pc-hosts.sh COMMAND [ARGS...]
set -euo pipefail

[[ ${QS_LAB:-} == 1 ]] || { echo "pc-hosts.sh: runs only inside the lab" >&2; exit 1; }
: "${QS_LAB_HOSTS:?pc-hosts.sh: no QS_LAB_HOSTS (use --setup tools/lab/daytime-setup.sh)}"
: "${QS_LAB_NSSWITCH:?pc-hosts.sh: no QS_LAB_NSSWITCH}"

if [[ -z ${QS_PC_HOSTS_MOUNTED:-} ]]; then
    export QS_PC_HOSTS_MOUNTED=1
    exec unshare --mount --propagation private "$BASH" "${BASH_SOURCE[0]}" "$@"
fi
mount --bind "$QS_LAB_HOSTS" /etc/hosts
mount --bind "$QS_LAB_NSSWITCH" /etc/nsswitch.conf
if [[ -n ${QS_LAB_CA_BUNDLE:-} ]]; then
    mount --bind "$QS_LAB_CA_BUNDLE" /etc/ssl/certs/ca-certificates.crt
fi
# A resolver address that leads nowhere, should anything ask DNS all the same.
if [[ -f /etc/resolv.conf ]]; then
    echo "nameserver 127.0.0.1" >"$(dirname "$QS_LAB_HOSTS")/resolv.conf"
    mount --bind "$(dirname "$QS_LAB_HOSTS")/resolv.conf" /etc/resolv.conf || true
fi
exec "$@"
