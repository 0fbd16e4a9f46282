# The FTP server of the IP page uploads on the router host, with a CA and certificates made here
# for the occasion. Nothing is ever sent to a real FTP server.
#
#   lab.sh run --config FILE --setup tools/lab/ftp-setup.sh -- tools/lab/pc-hosts.sh COMMAND...
#
# Sourced by lab.sh after the emulator started. The server (ftp_server.py) listens on
# `ftp_address` of the [lab] section of FILE, else 10.77.21.21. COMMAND gets:
#   QS_LAB_FTP_ADDRESS   the server's address
#   QS_LAB_FTP_HOST      its host name, ftp.tarvo.lab, in the lab's hosts file
#   QS_LAB_FTP_ROOT      the folder the server serves (public_html/ exists in it)
#   QS_LAB_FTP_USER, QS_LAB_FTP_PASSWORD   the one account (the password is the caller's
#                        QS_LAB_FTP_PASSWORD when set, else a random one)
#   QS_LAB_CA_BUNDLE     a trust store holding only the lab's CA; pc-hosts.sh puts it in place of
#                        the system's for COMMAND alone
#   QS_LAB_HOSTS, QS_LAB_NSSWITCH   as daytime-setup.sh gives them (added to when both run)
# Ports: 21 plain, 2121 explicit TLS with a certificate of the lab's CA, 2122 explicit TLS with a
# self-signed certificate, 2123 a server that never answers, 2124 plain FTP that leaves QUIT
# unanswered for a few seconds.

ftp_setup() {
    local address
    address=$(awk -F= '
        /^[ \t]*\[/ { in_lab = ($0 ~ /^[ \t]*\[[ \t]*lab[ \t]*\][ \t]*$/); next }
        in_lab && $1 ~ /^[ \t]*ftp_address[ \t]*$/ { gsub(/[ \t\r]/, "", $2); print $2 }' \
        "$config")
    address=${address:-10.77.21.21}
    [[ -x /usr/bin/python3 ]] || die "ftp-setup: /usr/bin/python3 missing"
    command -v openssl >/dev/null || die "ftp-setup: openssl missing"

    local pki=$lab_dir/pki host=ftp.tarvo.lab
    mkdir -p "$pki"
    (
        cd "$pki"
        openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Tarvo lab CA" \
            -keyout ca.key -out ca.crt
        openssl req -newkey rsa:2048 -nodes -subj "/CN=$host" -keyout server.key -out server.csr
        printf 'subjectAltName=DNS:%s,IP:%s\n' "$host" "$address" >server.ext
        openssl x509 -req -in server.csr -CA ca.crt -CAkey ca.key -CAcreateserial -days 2 \
            -extfile server.ext -out server.crt
        openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=$host" \
            -addext "subjectAltName=DNS:$host,IP:$address" -keyout stranger.key -out stranger.crt
    ) >"$lab_dir/pki.log" 2>&1 || die "ftp-setup: openssl failed: $(cat "$lab_dir/pki.log")"

    local root=$lab_dir/ftp-root
    mkdir -p "$root/public_html"
    # The server drops no privileges; the folder is the lab's own.
    # A caller that must write the password into a settings file beforehand may choose it.
    local password=${QS_LAB_FTP_PASSWORD:-}
    [[ -n $password ]] || password=$(od -An -N9 -tx1 /dev/urandom | tr -d ' \n')
    printf '%s\n' "$password" >"$lab_dir/ftp.password"
    chmod 600 "$lab_dir/ftp.password"

    [[ -f $lab_dir/hosts ]] || echo "127.0.0.1 localhost" >"$lab_dir/hosts"
    echo "$address $host" >>"$lab_dir/hosts"
    echo "hosts: files" >"$lab_dir/nsswitch.conf"

    add_router_address "$address"
    start_in_router_ns ftp /usr/bin/python3 "$script_dir/ftp_server.py" --address "$address" \
        --root "$root" --user tarvo --password-file "$lab_dir/ftp.password" \
        --cert "$pki/server.crt" --key "$pki/server.key" \
        --untrusted-cert "$pki/stranger.crt" --untrusted-key "$pki/stranger.key"
    local pid=${service_pids[-1]} port ready
    for _ in $(seq 200); do
        kill -0 "$pid" 2>/dev/null || die "ftp-setup: the server stopped: $(cat "$lab_dir/ftp.log")"
        ready=1
        for port in 21 2121 2122 2123 2124; do
            ip netns exec "$router_ns" ss -Hltn "src $address:$port" | grep -q . || ready=0
        done
        if [[ $ready == 1 ]]; then
            export QS_LAB_FTP_ADDRESS=$address QS_LAB_FTP_HOST=$host QS_LAB_FTP_ROOT=$root
            export QS_LAB_FTP_USER=tarvo QS_LAB_FTP_PASSWORD=$password
            export QS_LAB_CA_BUNDLE=$pki/ca.crt
            export QS_LAB_HOSTS=$lab_dir/hosts QS_LAB_NSSWITCH=$lab_dir/nsswitch.conf
            return
        fi
        sleep 0.05
    done
    die "ftp-setup: the server does not listen on $address"
}

ftp_setup
