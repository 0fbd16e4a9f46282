# A real TFTP server on the router host, for interoperability tests of the library's TFTP client:
# Debian's tftpd-hpa (in.tftpd), in the foreground, on one address of its own, port 69.
#
#   lab.sh run --config FILE --setup tools/lab/tftpd-setup.sh -- COMMAND...
#
# Sourced by lab.sh after the emulator started. The address is `tftpd_address` of the [lab]
# section of FILE, else 10.77.6.9. COMMAND gets QS_LAB_TFTPD_ADDRESS and QS_LAB_TFTPD_ROOT, the
# server's directory, which holds:
#   status.bin      964 bytes, served for every read of a name starting with getstatus/
#   exact1024.bin   1024 bytes (two whole blocks)
#   WORD.written    what a write of a name starting with WORD/ stored (WORD: letters, digits)
# The files' bytes are random except the first two of status.bin, which are 0.

tftpd_setup() {
    local server
    server=$(command -v in.tftpd || true)
    if [[ -z $server && -x /usr/sbin/in.tftpd ]]; then server=/usr/sbin/in.tftpd; fi
    if [[ -z $server ]]; then
        if [[ ${QS_LAB_REQUIRE:-0} == 1 ]]; then die "tftpd-setup: in.tftpd missing (tftpd-hpa)"; fi
        echo "lab.sh: skipped: in.tftpd missing (install tftpd-hpa)" >&2
        exit "$SKIPPED"
    fi

    local address
    address=$(awk -F= '
        /^[ \t]*\[/ { in_lab = ($0 ~ /^[ \t]*\[[ \t]*lab[ \t]*\][ \t]*$/); next }
        in_lab && $1 ~ /^[ \t]*tftpd_address[ \t]*$/ { gsub(/[ \t\r]/, "", $2); print $2 }' \
        "$config")
    address=${address:-10.77.6.9}

    local root="$lab_dir/tftp-root"
    mkdir -p "$root"
    { printf '\0\0'; head -c 962 /dev/urandom; } >"$root/status.bin"
    head -c 1024 /dev/urandom >"$root/exact1024.bin"
    # The routers' names carry slashes; the server's directory has no such paths.
    cat >"$lab_dir/tftpd.map" <<'RULES'
# Every status read, whoever signs it, gets the one status file.
rGe ^getstatus/.*$ status.bin
# A write stores its payload under the command word.
rPe ^([a-z0-9]+)/.*$ \1.written
RULES

    add_router_address "$address"
    start_in_router_ns tftpd "$server" --foreground --address "$address:69" --secure \
        --create --user root --map-file "$lab_dir/tftpd.map" --verbose --verbose "$root"
    local pid=${service_pids[-1]}
    for _ in $(seq 100); do
        kill -0 "$pid" 2>/dev/null || die "tftpd-setup: in.tftpd stopped: $(cat "$lab_dir/tftpd.log")"
        if ip netns exec "$router_ns" ss -Hlun "src $address:69" | grep -q .; then
            export QS_LAB_TFTPD_ADDRESS=$address QS_LAB_TFTPD_ROOT=$root
            return
        fi
        sleep 0.05
    done
    die "tftpd-setup: in.tftpd does not listen on $address:69"
}

tftpd_setup
