# A DAYTIME time server on the router host, for the clock correction tests, and the public time
# servers' host names pointed at it. Nothing may ever reach a real time server.
#
#   lab.sh run --config FILE --setup tools/lab/daytime-setup.sh -- tools/lab/pc-hosts.sh COMMAND...
#
# Sourced by lab.sh after the emulator started. The server (daytime_server.py) listens on
# `daytime_address` of the [lab] section of FILE, else 10.77.13.13, TCP port 13. COMMAND gets:
#   QS_LAB_DAYTIME_ADDRESS  the server's address
#   QS_LAB_DAYTIME_REPLY    the file each connection is answered from (see daytime_server.py)
#   QS_LAB_HOSTS            a hosts file naming the server for every time server name
#   QS_LAB_NSSWITCH         an nsswitch.conf that resolves host names from files only
# pc-hosts.sh puts the last two in place for COMMAND alone.

# The names the program knows, in its order; the tests check that each one resolves here.
readonly DAYTIME_NAMES=(
    time-a-g.nist.gov time-b-g.nist.gov time-c-g.nist.gov time-d-g.nist.gov time-e-g.nist.gov
    time-a-wwv.nist.gov time-b-wwv.nist.gov time-c-wwv.nist.gov time-d-wwv.nist.gov
    time-e-wwv.nist.gov time-a-b.nist.gov time-b-b.nist.gov time-c-b.nist.gov time-d-b.nist.gov
    time-e-b.nist.gov time.nist.gov utcnist.colorado.edu
)

daytime_setup() {
    local address
    address=$(awk -F= '
        /^[ \t]*\[/ { in_lab = ($0 ~ /^[ \t]*\[[ \t]*lab[ \t]*\][ \t]*$/); next }
        in_lab && $1 ~ /^[ \t]*daytime_address[ \t]*$/ { gsub(/[ \t\r]/, "", $2); print $2 }' \
        "$config")
    address=${address:-10.77.13.13}
    [[ -x /usr/bin/python3 ]] || die "daytime-setup: /usr/bin/python3 missing"

    {
        echo "127.0.0.1 localhost"
        local name
        for name in "${DAYTIME_NAMES[@]}"; do echo "$address $name"; done
    } >"$lab_dir/hosts"
    echo "hosts: files" >"$lab_dir/nsswitch.conf"

    add_router_address "$address"
    start_in_router_ns daytime /usr/bin/python3 "$script_dir/daytime_server.py" \
        --address "$address" --reply-file "$lab_dir/daytime.reply"
    local pid=${service_pids[-1]}
    for _ in $(seq 100); do
        kill -0 "$pid" 2>/dev/null || die "daytime-setup: the server stopped: $(cat "$lab_dir/daytime.log")"
        if ip netns exec "$router_ns" ss -Hltn "src $address:13" | grep -q .; then
            export QS_LAB_DAYTIME_ADDRESS=$address QS_LAB_DAYTIME_REPLY=$lab_dir/daytime.reply
            export QS_LAB_HOSTS=$lab_dir/hosts QS_LAB_NSSWITCH=$lab_dir/nsswitch.conf
            return
        fi
        sleep 0.05
    done
    die "daytime-setup: the server does not listen on $address:13"
}

daytime_setup
