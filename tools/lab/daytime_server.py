#!/usr/bin/python3
"""A DAYTIME server (RFC 867, TCP) for the lab, answering in the NIST time servers' layout.

    daytime_server.py --address ADDR [--port 13] --reply-file PATH

Each connection is answered from PATH as it is at that moment:
  - no such file: the present UTC time, "\\nJJJJJ YY-MM-DD HH:MM:SS TT L H msADV UTC(NIST) *\\n";
  - an empty file: nothing; the connection is held open until the client drops it;
  - any other file: its bytes, unchanged.
The server then closes the connection. It prints one line per connection.
"""
import argparse
import datetime
import os
import socket
import threading


def nist_reply(now):
    mjd = (now.date() - datetime.date(1858, 11, 17)).days
    return "\n%05d %s 00 0 0  50.0 UTC(NIST) * \n" % (mjd, now.strftime("%y-%m-%d %H:%M:%S"))


def serve(conn, peer, reply_file):
    with conn:
        try:
            with open(reply_file, "rb") as f:
                reply = f.read()
        except FileNotFoundError:
            reply = nist_reply(datetime.datetime.now(datetime.timezone.utc)).encode("ascii")
        if reply:
            conn.sendall(reply)
            print("%s:%d answered %d bytes" % (peer[0], peer[1], len(reply)), flush=True)
            return
        print("%s:%d held silent" % peer, flush=True)
        while conn.recv(64):
            pass
        print("%s:%d dropped by the client" % peer, flush=True)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--address", required=True)
    parser.add_argument("--port", type=int, default=13)
    parser.add_argument("--reply-file", required=True)
    args = parser.parse_args()
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind((args.address, args.port))
    listener.listen(16)
    print("listening on %s:%d" % (args.address, args.port), flush=True)
    while True:
        conn, peer = listener.accept()
        threading.Thread(target=serve, args=(conn, peer, args.reply_file), daemon=True).start()


if __name__ == "__main__":
    os.umask(0o022)
    main()
