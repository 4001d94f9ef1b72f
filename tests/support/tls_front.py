#!/usr/bin/env python3
"""A loopback TLS server for the HTTPS tests, in front of a scripted plain one.

    tls_front.py BACKEND_PORT CERT_DIR NAME...

Listens on 127.0.0.1 once per NAME and prints "ports P1 P2 ..." when ready.
A NAME of a certificate in CERT_DIR (NAME.pem, NAME.key) makes a TLS server
with it (Python's ssl module, TLS 1.2 or later): each connection's decrypted
bytes go to 127.0.0.1:BACKEND_PORT and its answer comes back encrypted, so
the test scripts the answers as for plain HTTP.  Two NAMEs misbehave on
purpose: "cut" closes after the client's first handshake bytes, "plain"
answers them with a plain HTTP reply.  Runs until it is killed, and ends by
itself after LIFETIME seconds (default 900) should its test have crashed.
"""
import os
import socket
import ssl
import sys
import threading


def pipe(source, sink):
    try:
        while True:
            data = source.recv(65536)
            if not data:
                break
            sink.sendall(data)
    except OSError:
        pass
    for s in (sink, source):
        try:
            s.shutdown(socket.SHUT_RDWR)
        except OSError:
            pass


def serve_tls(conn, context, backend_port):
    try:
        tls = context.wrap_socket(conn, server_side=True)
    except (OSError, ssl.SSLError):
        conn.close()
        return
    try:
        backend = socket.create_connection(("127.0.0.1", backend_port))
    except OSError:
        tls.close()
        return
    upstream = threading.Thread(target=pipe, args=(tls, backend), daemon=True)
    upstream.start()
    pipe(backend, tls)
    upstream.join(5)
    tls.close()
    backend.close()


def serve_broken(conn, name):
    try:
        conn.settimeout(5)
        conn.recv(4096)
        if name == "plain":
            conn.sendall(b"HTTP/1.0 400 Bad Request\r\nContent-Length: 0\r\n\r\n")
    except OSError:
        pass
    conn.close()


def listen(name, cert_dir, backend_port):
    server = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    server.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    server.bind(("127.0.0.1", 0))
    server.listen(16)
    context = None
    if name not in ("cut", "plain"):
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.minimum_version = ssl.TLSVersion.TLSv1_2
        context.load_cert_chain(os.path.join(cert_dir, name + ".pem"), os.path.join(cert_dir, name + ".key"))

    def accept_loop():
        while True:
            conn, _ = server.accept()
            if context:
                target, args = serve_tls, (conn, context, backend_port)
            else:
                target, args = serve_broken, (conn, name)
            threading.Thread(target=target, args=args, daemon=True).start()

    threading.Thread(target=accept_loop, daemon=True).start()
    return server.getsockname()[1]


def main():
    backend_port = int(sys.argv[1])
    cert_dir = sys.argv[2]
    ports = [listen(name, cert_dir, backend_port) for name in sys.argv[3:]]
    print("ports " + " ".join(str(p) for p in ports), flush=True)
    threading.Event().wait(float(os.environ.get("LIFETIME", "900")))


if __name__ == "__main__":
    main()
