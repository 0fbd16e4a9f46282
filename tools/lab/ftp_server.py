#!/usr/bin/python3
"""The lab's FTP server for the IP page uploads (pyftpdlib), on the router host.

    ftp_server.py --address ADDR --root DIR --user NAME --password-file FILE
                  [--cert FILE --key FILE] [--untrusted-cert FILE --untrusted-key FILE]

Listens on ADDR:
  21    plain FTP;
  2121  FTP that requires explicit TLS (AUTH TLS), with --cert/--key;
  2122  the same with --untrusted-cert/--untrusted-key, a certificate nobody vouches for;
  2123  a server that accepts connections and never says a word;
  2124  plain FTP that leaves QUIT unanswered and hangs up only QUIET_QUIT_SECONDS later, as a
        server behind a line that has just gone down would.
The one user may read and write in DIR but may not make folders. Path names are taken as CP932.
QS_FTP_DEBUG=1 in the environment logs every command and reply.
"""
import argparse
import socket
import threading

from OpenSSL import SSL
from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler, TLS_DTPHandler, TLS_FTPHandler
from pyftpdlib.servers import FTPServer


def silent(address, port):
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind((address, port))
    listener.listen(16)
    held = []

    def hold(conn, peer):
        print("silent: %s:%d connected" % peer, flush=True)
        with conn:
            while conn.recv(64):
                pass
        print("silent: %s:%d dropped by the client" % peer, flush=True)

    while True:
        conn, peer = listener.accept()
        held.append(conn)
        threading.Thread(target=hold, args=(conn, peer), daemon=True).start()


class ShiftJis:
    """Takes path names as the Japanese clients of old send them: CP932 bytes."""

    def decode(self, data):
        return data.decode("cp932", self.unicode_errors)


class EagerTlsDtp(TLS_DTPHandler):
    """A data connection that may do its TLS handshake before the transfer command, as curl does.

    pyftpdlib's own closes a data connection that turns readable before the transfer command,
    taking the client's handshake for a hang-up."""

    def readable(self):
        if self._ssl_accepting or self._ssl_want_read:
            return True
        if not self.receive and not self._initialized:
            return False
        return super().readable()


# How long the server on port 2124 keeps a client waiting for the answer to QUIT.
QUIET_QUIT_SECONDS = 5


class QuietQuit:
    """Says nothing to QUIT and hangs up a while later."""

    def ftp_QUIT(self, line):
        self.call_later(QUIET_QUIT_SECONDS, self.close)


def tls_handler(authorizer, cert, key):
    class Handler(ShiftJis, TLS_FTPHandler):
        dtp_handler = EagerTlsDtp

    Handler.authorizer = authorizer
    # With a session id context, so that a client may resume the control connection's TLS
    # session on the data connection, as curl does and many servers insist on.
    context = SSL.Context(SSL.TLS_SERVER_METHOD)
    context.use_certificate_chain_file(cert)
    context.use_privatekey_file(key)
    context.set_session_id(b"tarvo-lab")
    Handler.ssl_context = context
    Handler.tls_control_required = True
    Handler.tls_data_required = True
    return Handler


def main():
    import logging, os
    if os.environ.get("QS_FTP_DEBUG"):
        from pyftpdlib.log import config_logging
        config_logging(level=logging.DEBUG)
    parser = argparse.ArgumentParser()
    parser.add_argument("--address", required=True)
    parser.add_argument("--root", required=True)
    parser.add_argument("--user", required=True)
    parser.add_argument("--password-file", required=True)
    parser.add_argument("--cert")
    parser.add_argument("--key")
    parser.add_argument("--untrusted-cert")
    parser.add_argument("--untrusted-key")
    args = parser.parse_args()
    with open(args.password_file, encoding="latin-1") as f:
        password = f.read().rstrip("\n")

    authorizer = DummyAuthorizer()
    # No "m" (make folder): a missing folder must stay missing.
    authorizer.add_user(args.user, password, args.root, perm="elrwadf")

    class Plain(ShiftJis, FTPHandler):
        pass

    Plain.authorizer = authorizer
    class QuietAtQuit(QuietQuit, Plain):
        pass

    servers = [FTPServer((args.address, 21), Plain), FTPServer((args.address, 2124), QuietAtQuit)]
    if args.cert:
        servers.append(FTPServer((args.address, 2121), tls_handler(authorizer, args.cert, args.key)))
    if args.untrusted_cert:
        servers.append(FTPServer((args.address, 2122),
                                 tls_handler(authorizer, args.untrusted_cert, args.untrusted_key)))
    threading.Thread(target=silent, args=(args.address, 2123), daemon=True).start()
    print("listening", flush=True)
    # All servers share the one I/O loop.
    servers[0].serve_forever()


if __name__ == "__main__":
    main()
