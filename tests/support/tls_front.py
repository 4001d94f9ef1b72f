#!/usr/bin/env python3
"""A loopback TLS server for the HTTPS tests, in front of a scripted plain one.

    tls_front.py BACKEND_PORT CERT_DIR NAME...
    tls_front.py --control CERT_DIR


Listens on 127.0.0.1 once per NAME and prints "ports P1 P2 ..." when ready.
A NAME of a certificate in CERT_DIR (NAME.pem, NAME.key) makes a TLS server
with it (Python's ssl module, TLS 1.2 or later): each connection's decrypted
bytes go to 127.0.0.1:BACKEND_PORT and its answer comes back encrypted, so
the test scripts the answers as for plain HTTP.  Two NAMEs misbehave on
purpose: "cut" closes after the client's first handshake bytes, "plain"
answers them with a plain HTTP reply.  "tamper" relays to a "good" server
and flips one bit in the first encrypted record of application data that
server sends: the client must refuse the record.

With --control it prints "control PORT" and waits there for test programs
that cannot start it themselves (the Windows build under wine): each sends
one line "BACKEND_PORT NAME...", gets "ports P1 P2 ..." back, and its
servers close when it closes that connection.  Runs until it is killed, and ends by
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
    shut(sink, source)


def shut(*sockets):
    for s in sockets:
        try:
            s.shutdown(socket.SHUT_RDWR)
        except OSError:
            pass


def relay(near, far, downstream=pipe):
    """Copies near's bytes to far and far's through downstream to near until
    both ends have closed."""
    upstream = threading.Thread(target=pipe, args=(near, far), daemon=True)
    upstream.start()
    downstream(far, near)
    upstream.join(5)
    near.close()
    far.close()


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
    relay(tls, backend)


def tamper_records(source, sink):
    """Copies TLS records from source to sink, damaging the first
    application data record (type 23) on its last byte."""
    pending = b""
    damaged = False
    try:
        while True:
            data = source.recv(65536)
            if not data:
                break
            pending += data
            out = b""
            while len(pending) >= 5:
                length = int.from_bytes(pending[3:5], "big")
                if len(pending) < 5 + length:
                    break
                record, pending = pending[:5 + length], pending[5 + length:]
                if record[0] == 23 and not damaged:
                    record = record[:-1] + bytes([record[-1] ^ 0x01])
                    damaged = True
                out += record
            sink.sendall(out)
    except OSError:
        pass
    shut(sink, source)


def serve_tamper(conn, good_port):
    try:
        server = socket.create_connection(("127.0.0.1", good_port))
    except OSError:
        conn.close()
        return
    relay(conn, server, tamper_records)


def serve_broken(conn, name):
    try:
        conn.settimeout(5)
        conn.recv(4096)
        if name == "plain":
            conn.sendall(b"HTTP/1.0 400 Bad Request\r\nContent-Length: 0\r\n\r\n")
    except OSError:
        pass
    conn.close()


def listen(name, cert_dir, backend_port, servers=None):
    server = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    server.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    server.bind(("127.0.0.1", 0))
    server.listen(16)
    if servers is not None:
        servers.append(server)
    context = None
    good_port = None
    if name == "tamper":
        good_port = listen("good", cert_dir, backend_port, servers)
    elif name not in ("cut", "plain"):
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.minimum_version = ssl.TLSVersion.TLSv1_2
        context.load_cert_chain(os.path.join(cert_dir, name + ".pem"), os.path.join(cert_dir, name + ".key"))

    def accept_loop():
        while True:
            try:
                conn, _ = server.accept()
            except OSError:
                return  # closed by its control connection
            if context:
                target, args = serve_tls, (conn, context, backend_port)
            elif good_port:
                target, args = serve_tamper, (conn, good_port)
            else:
                target, args = serve_broken, (conn, name)
            threading.Thread(target=target, args=args, daemon=True).start()

    threading.Thread(target=accept_loop, daemon=True).start()
    return server.getsockname()[1]


def control_client(conn, cert_dir):
    servers = []
    try:
        request = conn.makefile("r").readline().split()
        ports = [listen(name, cert_dir, int(request[0]), servers) for name in request[1:]]
        conn.sendall(("ports " + " ".join(str(p) for p in ports) + "\n").encode())
        while conn.recv(256):
            pass
    except (OSError, ValueError, IndexError):
        pass
    for server in servers:
        try:
            server.shutdown(socket.SHUT_RDWR)  # wakes its accept loop
        except OSError:
            pass
        server.close()
    conn.close()


def control(cert_dir):
    server = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    server.bind(("127.0.0.1", 0))
    server.listen(16)
    print("control %d" % server.getsockname()[1], flush=True)
    while True:
        conn, _ = server.accept()
        threading.Thread(target=control_client, args=(conn, cert_dir), daemon=True).start()


def main():
    if sys.argv[1] == "--control":
        threading.Thread(target=control, args=(sys.argv[2],), daemon=True).start()
        threading.Event().wait(float(os.environ.get("LIFETIME", "3600")))
        return
    backend_port = int(sys.argv[1])
    cert_dir = sys.argv[2]
    ports = [listen(name, cert_dir, backend_port) for name in sys.argv[3:]]
    print("ports " + " ".join(str(p) for p in ports), flush=True)
    threading.Event().wait(float(os.environ.get("LIFETIME", "900")))


if __name__ == "__main__":
    main()
