#!/usr/bin/env python3
"""The real minisign command for test programs that cannot start it (the
Windows build under wine): prints "control PORT" and answers one request a
connection, a line of tab-separated fields with Windows paths:
    G <public> <secret>                      make a key pair without a password
    S <secret> <file> <0|1 legacy> <comment> sign the file (file + ".minisig")
    V <public> <file>                        verify the file
with "ok" or "fail".  Paths are mapped through wine's drive links."""
import os
import socket
import subprocess
import sys
import threading


def unix_path(path):
    path = path.replace("\\", "/")
    if len(path) > 1 and path[1] == ":":
        drive = os.path.join(os.environ["WINEPREFIX"], "dosdevices", path[0].lower() + ":")
        return os.path.realpath(drive) + path[2:]
    return path


def run(fields):
    kind = fields[0]
    if kind == "G" and len(fields) == 3:
        command = ["minisign", "-G", "-f", "-W", "-p", unix_path(fields[1]), "-s", unix_path(fields[2])]
    elif kind == "S" and len(fields) == 5:
        command = ["minisign", "-S", "-s", unix_path(fields[1]), "-m", unix_path(fields[2])]
        if fields[3] == "1":
            command.append("-l")
        if fields[4]:
            command += ["-t", fields[4]]
    elif kind == "V" and len(fields) == 3:
        command = ["minisign", "-V", "-p", unix_path(fields[1]), "-m", unix_path(fields[2])]
    else:
        return False
    done = subprocess.run(command, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL, check=False)
    return done.returncode == 0


def client(conn):
    with conn:
        data = b""
        while not data.endswith(b"\n"):
            chunk = conn.recv(4096)
            if not chunk:
                return
            data += chunk
        fields = data[:-1].decode("utf-8").split("\t")
        conn.sendall(b"ok\n" if run(fields) else b"fail\n")


def main():
    server = socket.socket()
    server.bind(("127.0.0.1", 0))
    server.listen(16)
    print("control %d" % server.getsockname()[1], flush=True)
    while True:
        conn, _ = server.accept()
        threading.Thread(target=client, args=(conn,), daemon=True).start()


if __name__ == "__main__":
    sys.exit(main())
