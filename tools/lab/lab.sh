#!/usr/bin/env bash
# The virtual LAN of the integration tests: a PC host and a router host, each a network namespace
# of its own, joined by one veth pair. The emulated routers live on the router host; the command
# under test runs on the PC host. Nothing is attached to the machine's own interfaces, so the
# broadcasts and requests of a test cannot leave the pair.
#
#   lab.sh run --config FILE [--emulator PATH] [--pc-address ADDR/PREFIX] [--setup SCRIPT]
#              -- COMMAND [ARGS...]
#
# Exit code: COMMAND's, or 77 when the lab cannot be built here for want of privileges (set
# QS_LAB_REQUIRE=1 to make that a failure), or 1 when setting up the lab failed.
set -euo pipefail

readonly SKIPPED=77
readonly DEFAULT_PC_ADDRESS=10.77.0.2/16

script_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
script_path="$script_dir/$(basename "${BASH_SOURCE[0]}")"

config=""
emulator="$script_dir/../../build/bin/qs-router-emulator"
# Installed with the optional tools: the emulator lies in the program's folder.
[[ -x $emulator || ! -x $script_dir/../../../lib/tarvo/qs-router-emulator ]] ||
    emulator="$script_dir/../../../lib/tarvo/qs-router-emulator"
pc_address=""
setup_scripts=()
command_args=()

lab_id=""
pc_ns=""
router_ns=""
created_namespaces=()
lab_dir=""
service_pids=()
command_pid=""

die() {
    echo "lab.sh: $*" >&2
    exit 1
}

usage() {
    sed -n '2,11s/^# \{0,1\}//p' "$script_path" >&2
    exit 2
}

parse_arguments() {
    [[ $# -ge 1 && $1 == run ]] || usage
    shift
    while [[ $# -gt 0 ]]; do
        case $1 in
        --config) config=${2:?}; shift 2 ;;
        --emulator) emulator=${2:?}; shift 2 ;;
        --pc-address) pc_address=${2:?}; shift 2 ;;
        --setup) setup_scripts+=("$(realpath "${2:?}")"); shift 2 ;;
        --) shift; command_args=("$@"); break ;;
        *) usage ;;
        esac
    done
    [[ -n $config && ${#command_args[@]} -gt 0 ]] || usage
    [[ -r $config ]] || die "cannot read $config"
    [[ -x $emulator ]] || die "no emulator at $emulator (build it, or give --emulator)"
    config=$(realpath "$config")
    emulator=$(realpath "$emulator")
}

# Without root, an unprivileged user namespace can still own network namespaces. The script runs
# itself again inside one, in a network namespace of its own too (`ip netns` must be able to
# return to where it started) and with a private /run for `ip netns` to keep its names in.
ensure_privileges() {
    if [[ $(id -u) -eq 0 ]]; then
        unset QS_LAB_IN_USERNS
        return
    fi
    if [[ -z ${QS_LAB_IN_USERNS:-} ]] &&
        unshare --user --map-root-user --mount --net true 2>/dev/null; then
        export QS_LAB_IN_USERNS=1
        exec unshare --user --map-root-user --mount --net --propagation private \
            "$BASH" "$script_path" "$@"
    fi
    local reason="cannot build the lab: needs root, or unprivileged user namespaces"
    if [[ ${QS_LAB_REQUIRE:-0} == 1 ]]; then
        echo "lab.sh: $reason" >&2
        exit 1
    fi
    echo "lab.sh: skipped: $reason" >&2
    exit "$SKIPPED"
}

# In the user namespace made above, /run belongs to nobody we can be; the lab mounts its own.
# Where /run is writable (root, or a lab inside a lab) it is left as it is.
private_run_dir() {
    [[ -w /run ]] && return 0
    mount -t tmpfs tmpfs /run || die "cannot mount a private /run in the user namespace"
}

# The [lab] section of the emulator's configuration may give the PC's address.
read_lab_settings() {
    local from_file
    from_file=$(awk -F= '
        /^[ \t]*\[/ { in_lab = ($0 ~ /^[ \t]*\[[ \t]*lab[ \t]*\][ \t]*$/); next }
        in_lab && $1 ~ /^[ \t]*pc_address[ \t]*$/ { gsub(/[ \t\r]/, "", $2); print $2 }' "$config")
    pc_address=${pc_address:-${from_file:-$DEFAULT_PC_ADDRESS}}
    [[ $pc_address == */* ]] || pc_address="$pc_address/16"
}

teardown() {
    local status=$?
    set +e
    trap - EXIT INT TERM
    [[ -n $command_pid ]] && kill -TERM "$command_pid" 2>/dev/null
    local pid
    for pid in "${service_pids[@]}"; do kill -TERM "$pid" 2>/dev/null; done
    for pid in $command_pid "${service_pids[@]}"; do
        for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.05; done
        kill -KILL "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
    done
    local ns
    for ns in "${created_namespaces[@]}"; do
        # Whatever the command left running in the lab goes with it.
        for pid in $(ip netns pids "$ns" 2>/dev/null); do kill -KILL "$pid" 2>/dev/null; done
        ip netns delete "$ns" || echo "lab.sh: could not delete namespace $ns" >&2
    done
    if [[ -n $lab_dir ]]; then
        # The services' own complaints explain many a failed test; they go with the temp dir.
        local log
        for log in "$lab_dir"/*.log; do
            [[ $status -ne 0 && -s $log ]] || continue
            echo "lab.sh: $(basename "$log"):" >&2
            sed 's/^/  /' "$log" >&2
        done
        rm -rf "$lab_dir"
    fi
    exit "$status"
}

create_namespaces() {
    local suffix
    suffix=$(od -An -N4 -tx1 /dev/urandom | tr -d ' \n')
    lab_id="qslab$$$suffix"
    pc_ns="${lab_id}pc"
    router_ns="${lab_id}rt"
    local ns
    for ns in "$pc_ns" "$router_ns"; do
        # Only what this run created is deleted at teardown, never a namesake of another run's.
        ip netns add "$ns" || die "cannot create namespace $ns"
        created_namespaces+=("$ns")
        ip -n "$ns" link set lo up
        # IPv6 chatter (router solicitations, duplicate address detection) has no use here.
        ip netns exec "$ns" sysctl -qw net.ipv6.conf.all.disable_ipv6=1 2>/dev/null || true
    done
    # Both ends are created inside the namespaces, so their names cannot clash between labs.
    ip -n "$pc_ns" link add pc0 type veth peer name rt0 netns "$router_ns"
    ip -n "$pc_ns" addr add "$pc_address" dev pc0
    ip -n "$pc_ns" link set pc0 up
    ip -n "$router_ns" link set rt0 up
    # Every destination is on the link: the routers may sit in any subnet, and the broadcast to
    # 255.255.255.255 needs a route to leave by.
    ip -n "$pc_ns" route add default dev pc0
    ip -n "$router_ns" route add default dev rt0
}

add_router_address() {
    ip -n "$router_ns" addr add "$1/32" dev rt0 || die "cannot give the router host $1"
}

# Starts a long-running service on the router host; it is stopped at teardown.
start_in_router_ns() {
    local name=$1
    shift
    ip netns exec "$router_ns" "$@" >"$lab_dir/$name.log" 2>&1 &
    service_pids+=($!)
}

start_emulator() {
    local ctl
    ctl="$(dirname "$emulator")/qs-emulator-ctl"
    [[ -x $ctl ]] || die "no qs-emulator-ctl beside $emulator"
    start_in_router_ns emulator "$emulator" --config "$config" --control "$lab_dir/control.sock"
    local pid=${service_pids[-1]}
    for _ in $(seq 200); do
        if ! kill -0 "$pid" 2>/dev/null; then
            cat "$lab_dir/emulator.log" >&2
            die "the emulator stopped during start-up"
        fi
        "$ctl" "$lab_dir/control.sock" ping >/dev/null 2>&1 && return
        sleep 0.05
    done
    cat "$lab_dir/emulator.log" >&2
    die "the emulator did not answer on its control socket"
}

run_command() {
    local pc=${pc_address%/*}
    ip netns exec "$pc_ns" env QS_LAB=1 QS_LAB_CONTROL="$lab_dir/control.sock" \
        QS_LAB_PC_ADDRESS="$pc" QS_LAB_ROUTER_ADDRESSES="${router_addresses[*]}" \
        QS_LAB_DIR="$lab_dir" "${command_args[@]}" &
    command_pid=$!
    local status=0
    wait "$command_pid" || status=$?
    command_pid=""
    return "$status"
}

main() {
    parse_arguments "$@"
    ensure_privileges "$@"
    command -v ip >/dev/null || die "needs ip (iproute2)"
    private_run_dir

    local addresses
    addresses=$("$emulator" --config "$config" --print-addresses) ||
        die "the emulator refused $config"
    mapfile -t router_addresses <<<"$addresses"
    read_lab_settings
    local a
    for a in "${router_addresses[@]}"; do
        [[ -z $a || $a != "${pc_address%/*}" ]] || die "a router has the PC's address $a"
    done

    trap teardown EXIT
    trap 'exit 130' INT
    trap 'exit 143' TERM
    lab_dir=$(mktemp -d "${TMPDIR:-/tmp}/qslab.XXXXXX")
    create_namespaces
    for a in "${router_addresses[@]}"; do [[ -z $a ]] || add_router_address "$a"; done
    start_emulator
    # More services for the router host: each script is sourced here, so it may call
    # add_router_address and start_in_router_ns, and export what COMMAND needs to know.
    local script
    for script in "${setup_scripts[@]}"; do
        # shellcheck source=/dev/null
        source "$script"
    done

    local status=0
    run_command || status=$?
    exit "$status"
}

main "$@"
