#!/usr/bin/env python3
"""A throw-away FTP, FTPS (--tls KEY.pem) or SFTP (--sftp KEY) server on the loopback for the upload tests.

Prints "PORT <n>", then "LOGIN <user>" per login and "STORED <path>" per file received. --cp932: no UTF8 in FEAT
and code page 932 on the control connection, as older Japanese servers. A missing key file is made.
"""
import argparse
import logging

p = argparse.ArgumentParser()
p.add_argument("--home", required=True)
p.add_argument("--user", default="tsuzuri")
p.add_argument("--password", default="secret")
p.add_argument("--cp932", action="store_true")
p.add_argument("--tls")
p.add_argument("--sftp")
p.add_argument("--port", type=int, default=0)
a = p.parse_args()
logging.basicConfig(level=logging.CRITICAL)


def say(line):
    print(line, flush=True)


def serve_sftp():
    import asyncio, os, warnings
    warnings.simplefilter("ignore")
    import asyncssh

    if not os.path.exists(a.sftp):
        asyncssh.generate_private_key("ssh-ed25519").write_private_key(a.sftp)

    class Server(asyncssh.SSHServer):
        def password_auth_supported(self):
            return True

        def validate_password(self, user, password):
            ok = (user, password) == (a.user, a.password)
            if ok:
                say("LOGIN " + user)
            return ok

    class Files(asyncssh.SFTPServer):
        def __init__(self, chan):
            super().__init__(chan, chroot=a.home.encode())
            self.writing = {}

        def open(self, path, flags, attrs):
            f = super().open(path, flags, attrs)
            if flags & asyncssh.FXF_WRITE:
                self.writing[id(f)] = path.decode()
            return f

        def close(self, f):
            super().close(f)
            if id(f) in self.writing:
                say("STORED " + self.writing.pop(id(f)).lstrip("/"))

    async def start():
        server = await asyncssh.create_server(Server, "127.0.0.1", a.port, server_host_keys=[a.sftp], sftp_factory=Files,
                                              reuse_address=True)  # a restart on the same port
        say("PORT %d" % server.sockets[0].getsockname()[1])

    loop = asyncio.new_event_loop()
    loop.run_until_complete(start())
    loop.run_forever()


def serve_ftp():
    import os
    from pyftpdlib.authorizers import DummyAuthorizer
    from pyftpdlib.handlers import FTPHandler, TLS_DTPHandler, TLS_FTPHandler
    from pyftpdlib.servers import FTPServer

    base = TLS_FTPHandler if a.tls else FTPHandler

    class Handler(base):
        auth_failed_timeout = 0.1  # the real pause is 3 s; the tests have no use for it

        def on_login(self, username):
            say("LOGIN " + username)

        def on_file_received(self, path):
            say("STORED " + os.path.relpath(path, a.home))

    class Cp932Handler(Handler):
        def decode(self, bytes):
            return bytes.decode("cp932", self.unicode_errors)

        def push(self, s):
            # Replies are str in pyftpdlib; the base class would send them as UTF-8.
            return super(FTPHandler, self).push(s.encode("cp932", "replace"))

        def ftp_FEAT(self, line):
            self.push("211-Features supported:\r\n EPSV\r\n PASV\r\n SIZE\r\n")
            self.respond("211 End FEAT.")

    if a.tls:
        if not os.path.exists(a.tls):
            import warnings
            warnings.simplefilter("ignore")
            import asyncssh
            key = asyncssh.generate_private_key("ssh-rsa", key_size=2048)
            cert = key.generate_x509_host_certificate(key, "CN=localhost", purposes="serverAuth", valid_before="+1d")
            with open(a.tls, "wb") as f:
                f.write(key.export_private_key("pkcs8-pem") + cert.export_certificate("pem"))

        class DataHandler(TLS_DTPHandler):
            # libcurl secures a data connection before it sends STOR; pyftpdlib takes the early
            # handshake for a hang-up unless the connection stays readable while it is accepting.
            def readable(self):
                return self._ssl_accepting or self._ssl_want_read or self.receive

        Handler.dtp_handler = DataHandler
        Handler.certfile = a.tls
        # Clients resume the control connection's TLS session on the data connections; a server context
        # without a session id context resets them.
        Handler.get_ssl_context().set_session_id(b"tsuzuri-test")
        Handler.tls_control_required = Handler.tls_data_required = True

    handler = Cp932Handler if a.cp932 else Handler
    handler.authorizer = DummyAuthorizer()
    handler.authorizer.add_user(a.user, a.password, a.home, perm="elradfmwMT")
    server = FTPServer(("127.0.0.1", a.port), handler)
    say("PORT %d" % server.socket.getsockname()[1])
    server.serve_forever(handle_exit=True)


serve_sftp() if a.sftp else serve_ftp()
