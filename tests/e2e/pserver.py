#!/usr/bin/env python3
"""A password-server repository for the end-to-end tests, on 127.0.0.1 only.

    pserver.py start <dir> <user> <password>   prints the port; the server runs in the background
    pserver.py stop <dir>

Makes <dir>/repo (cvs init) with CVSROOT/passwd naming <user> with <password>, mapped to the system
account "nobody" (the Linux client refuses to serve as root; no account is created), and system
authentication off. Each connection gets its own `cvs pserver` with the socket as its input and output.
"""
import warnings
warnings.simplefilter("ignore", DeprecationWarning)
import crypt
import os
import signal
import socket
import socketserver
import subprocess
import sys
import warnings

warnings.simplefilter("ignore", DeprecationWarning)


def make_repository(base, user, password):
    repo = os.path.join(base, "repo")
    if not os.path.isdir(os.path.join(repo, "CVSROOT")):
        subprocess.run(["cvs", "-d", repo, "init"], check=True)
    with open(os.path.join(repo, "CVSROOT", "passwd"), "w") as f:
        f.write("%s:%s:nobody\n" % (user, crypt.crypt(password, crypt.mksalt(crypt.METHOD_MD5))))
    with open(os.path.join(repo, "CVSROOT", "config"), "a") as f:
        f.write("SystemAuth=no\n")
    for folder, dirs, files in os.walk(repo):
        os.chmod(folder, 0o777)
        for name in files:
            os.chmod(os.path.join(folder, name), 0o666)
    return repo


def serve(base, repo, listener):
    class Handler(socketserver.BaseRequestHandler):
        def handle(self):
            subprocess.run(["cvs", "-f", "--allow-root=" + repo, "pserver"], stdin=self.request.fileno(),
                           stdout=self.request.fileno(), stderr=open(os.path.join(base, "pserver.log"), "ab"), cwd="/")

    class Server(socketserver.ForkingMixIn, socketserver.TCPServer):
        allow_reuse_address = True

    server = Server(("127.0.0.1", 0), Handler, bind_and_activate=False)
    server.socket = listener
    server.serve_forever()


def main():
    command, base = sys.argv[1], os.path.abspath(sys.argv[2])
    pidfile = os.path.join(base, "pserver.pid")
    if command == "stop":
        try:
            with open(pidfile) as f:
                os.kill(int(f.read()), signal.SIGTERM)
        except (OSError, ValueError):
            pass
        return 0
    os.makedirs(base, exist_ok=True)
    repo = make_repository(base, sys.argv[3], sys.argv[4])
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.bind(("127.0.0.1", 0))
    listener.listen(8)
    port = listener.getsockname()[1]
    pid = os.fork()
    if pid:
        with open(pidfile, "w") as f:
            f.write(str(pid))
        print(port)
        return 0
    os.setsid()
    devnull = os.open(os.devnull, os.O_RDWR)
    for fd in (0, 1, 2):
        os.dup2(devnull, fd)
    serve(base, repo, listener)
    return 0


if __name__ == "__main__":
    sys.exit(main())
