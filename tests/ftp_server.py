#!/usr/bin/env python3
"""A throw-away FTP server on the loopback for the upload tests and the benchmark.

Binds port 0, prints "PORT <n>" on the first line of standard output, then one line per event the
tests look at ("LOGIN <user>", "STOR <path>"). One user with a password and full rights on --home.
--cp932 makes it a server that does not list UTF8 in FEAT and speaks code page 932 on the control
connection, as older Japanese servers do.
"""
import argparse
import logging
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer


def say(line):
    sys.stdout.write(line + "\n")
    sys.stdout.flush()


class Handler(FTPHandler):
    def on_login(self, username):
        say("LOGIN " + username)

    def on_file_received(self, file):
        say("STOR " + file)


class Cp932Handler(Handler):
    def decode(self, bytes):
        return bytes.decode("cp932", self.unicode_errors)

    def push(self, s):
        # Replies are str in pyftpdlib; the base class would send them as UTF-8.
        return super(FTPHandler, self).push(s.encode("cp932", "replace"))

    def ftp_FEAT(self, line):
        self.push("211-Features supported:\r\n EPSV\r\n PASV\r\n SIZE\r\n")
        self.respond("211 End FEAT.")


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--home", required=True)
    p.add_argument("--user", default="tsuzuri")
    p.add_argument("--password", default="secret")
    p.add_argument("--cp932", action="store_true")
    a = p.parse_args()

    logging.basicConfig(level=logging.CRITICAL)
    auth = DummyAuthorizer()
    auth.add_user(a.user, a.password, a.home, perm="elradfmwMT")
    handler = Cp932Handler if a.cp932 else Handler
    handler.authorizer = auth
    handler.banner = "tsuzuri test server ready."
    handler.passive_ports = None
    handler.auth_failed_timeout = 0.1  # the real pause is 3 s; the tests have no use for it
    server = FTPServer(("127.0.0.1", 0), handler)
    server.max_cons = 64
    say("PORT %d" % server.socket.getsockname()[1])
    server.serve_forever(handle_exit=True)


if __name__ == "__main__":
    main()
