#!/usr/bin/env python3
"""A throw-away FTP server on the loopback for the upload tests and the benchmark.

Binds port 0, prints "PORT <n>" on the first line of standard output, then "LOGIN <user>" per login.
One user with a password and full rights on --home. --cp932 makes it a server that does not list UTF8
in FEAT and speaks code page 932 on the control connection, as older Japanese servers do.
"""
import argparse
import logging

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer


class Handler(FTPHandler):
    auth_failed_timeout = 0.1  # the real pause is 3 s; the tests have no use for it

    def on_login(self, username):
        print("LOGIN " + username, flush=True)


class Cp932Handler(Handler):
    def decode(self, bytes):
        return bytes.decode("cp932", self.unicode_errors)

    def push(self, s):
        # Replies are str in pyftpdlib; the base class would send them as UTF-8.
        return super(FTPHandler, self).push(s.encode("cp932", "replace"))

    def ftp_FEAT(self, line):
        self.push("211-Features supported:\r\n EPSV\r\n PASV\r\n SIZE\r\n")
        self.respond("211 End FEAT.")


p = argparse.ArgumentParser()
p.add_argument("--home", required=True)
p.add_argument("--user", default="tsuzuri")
p.add_argument("--password", default="secret")
p.add_argument("--cp932", action="store_true")
a = p.parse_args()

logging.basicConfig(level=logging.CRITICAL)
handler = Cp932Handler if a.cp932 else Handler
handler.authorizer = DummyAuthorizer()
handler.authorizer.add_user(a.user, a.password, a.home, perm="elradfmwMT")
server = FTPServer(("127.0.0.1", 0), handler)
print("PORT %d" % server.socket.getsockname()[1], flush=True)
server.serve_forever(handle_exit=True)
