#!/usr/bin/env python3
"""A password-server repository for the end-to-end tests, on 127.0.0.1 only.

    pserver.py start <state dir> [<user> <password>]    (me / secret by default)
    pserver.py serve <state dir> <repository> [<user> <password>]
    pserver.py stop <state dir>

start makes a repository in a fresh folder under /tmp (readable by the account the server runs as), with
CVSROOT/passwd naming the user with the password, mapped to the system account "nobody" (the Linux client
refuses to serve as root; no account is created), system authentication off, and a module "proj" (a.txt,
b.txt); serves it on a free port of 127.0.0.1, each connection with its own `cvs pserver` reading the
socket; and writes to the state dir: "root" (the :pserver: root), "client.cvspass" (the line the Linux
client's own `cvs login` wrote, through a pseudo-terminal), "pid". serve does the same for a repository
that exists (the demo's): it adds the password file and the setting, opens the repository to the account
the server runs as, and neither imports nor logs in. stop ends the server and removes the repository that
start made (never one that serve was given).
"""
import os
import pty
import shutil
import signal
import socket
import socketserver
import subprocess
import sys
import tempfile
import warnings

warnings.simplefilter("ignore", DeprecationWarning)
import crypt  # noqa: E402  (deprecated, still in Debian 12's Python)


def open_to_server(repo, user, password):
    """The password file naming the user, system authentication off, everything writable by "nobody"."""
    with open(os.path.join(repo, "CVSROOT", "passwd"), "w") as f:
        f.write("%s:%s:nobody\n" % (user, crypt.crypt(password, crypt.mksalt(crypt.METHOD_MD5))))
    with open(os.path.join(repo, "CVSROOT", "config"), "a") as f:
        f.write("SystemAuth=no\n")
    for folder, dirs, files in os.walk(repo):
        os.chmod(folder, 0o777)
        for name in files:
            os.chmod(os.path.join(folder, name), 0o666)


def make_repository(base, user, password):
    repo = os.path.join(base, "repo")
    subprocess.run(["cvs", "-Q", "-d", repo, "init"], check=True)
    open_to_server(repo, user, password)
    source = os.path.join(base, "import")
    os.makedirs(source)
    for name, text in (("a.txt", "one\ntwo\n"), ("b.txt", "b\n")):
        with open(os.path.join(source, name), "w") as f:
            f.write(text)
    subprocess.run(["cvs", "-Q", "-d", repo, "import", "-m", "start", "proj", "vendor", "start"], cwd=source,
                   check=True)
    for folder, dirs, files in os.walk(base):
        os.chmod(folder, 0o777)
        for name in files:
            os.chmod(os.path.join(folder, name), 0o666)
    return repo


def serve(repo, listener):
    class Handler(socketserver.BaseRequestHandler):
        def handle(self):
            subprocess.run(["cvs", "-f", "--allow-root=" + repo, "pserver"], stdin=self.request.fileno(),
                           stdout=self.request.fileno(), stderr=subprocess.DEVNULL, cwd="/")

    class Server(socketserver.ForkingMixIn, socketserver.TCPServer):
        pass

    server = Server(("127.0.0.1", 0), Handler, bind_and_activate=False)
    server.socket = listener
    server.serve_forever()


def client_login(root, password, passfile):
    """The Linux client's own login, its password typed at its prompt."""
    env = dict(os.environ, CVS_PASSFILE=passfile)
    pid, fd = pty.fork()
    if pid == 0:
        os.execvpe("cvs", ["cvs", "-d", root, "login"], env)
    seen = b""
    try:
        while b"password:" not in seen:
            seen += os.read(fd, 256)
        os.write(fd, password.encode() + b"\n")
        while os.read(fd, 256):
            pass
    except OSError:
        pass
    _, status = os.waitpid(pid, 0)
    return status == 0


def stop(state):
    try:
        with open(os.path.join(state, "pid")) as f:
            os.kill(int(f.read()), signal.SIGTERM)
    except (OSError, ValueError):
        pass
    try:
        with open(os.path.join(state, "base")) as f:
            shutil.rmtree(f.read(), ignore_errors=True)
    except OSError:
        pass


def main():
    command, state = sys.argv[1], os.path.abspath(sys.argv[2])
    if command == "stop":
        stop(state)
        return 0
    given = sys.argv[3] if command == "serve" else None
    rest = sys.argv[4:] if given else sys.argv[3:]
    user, password = (rest[0], rest[1]) if len(rest) > 1 else ("me", "secret")
    stop(state)
    os.makedirs(state, exist_ok=True)
    for name in ("base", "pid", "root"):
        if os.path.exists(os.path.join(state, name)):
            os.remove(os.path.join(state, name))
    if given:
        repo = os.path.abspath(given)
        open_to_server(repo, user, password)
    else:
        base = tempfile.mkdtemp(prefix="ferrow-pserver-")
        with open(os.path.join(state, "base"), "w") as f:
            f.write(base)
        repo = make_repository(base, user, password)
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.bind(("127.0.0.1", 0))
    listener.listen(16)
    root = ":pserver:%s@127.0.0.1:%d%s" % (user, listener.getsockname()[1], repo)
    pid = os.fork()
    if pid == 0:
        os.setsid()
        devnull = os.open(os.devnull, os.O_RDWR)
        for fd in (0, 1, 2):
            os.dup2(devnull, fd)
        serve(repo, listener)
        os._exit(0)
    listener.close()
    with open(os.path.join(state, "pid"), "w") as f:
        f.write(str(pid))
    with open(os.path.join(state, "root"), "w") as f:
        f.write(root)
    if given:
        print(root)
        return 0
    passfile = os.path.join(state, "client.cvspass")
    if os.path.exists(passfile):
        os.remove(passfile)
    if not client_login(root, password, passfile):
        print("the client's login failed", file=sys.stderr)
        stop(state)
        return 1
    print(root)
    return 0


if __name__ == "__main__":
    sys.exit(main())
