#!/usr/bin/env python3
"""The HTTPS benchmark's server: Python's http.server inside TLS.

    tls_file_server.py PORT DIR CERT KEY

Publishes DIR on https://127.0.0.1:PORT (HTTP/1.0, GET and HEAD) with the
certificate CERT and its key KEY, TLS 1.2 or later, until it is killed.
"""
import functools
import http.server
import ssl
import sys


def main():
    port, folder, cert, key = int(sys.argv[1]), sys.argv[2], sys.argv[3], sys.argv[4]
    handler = functools.partial(http.server.SimpleHTTPRequestHandler, directory=folder)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", port), handler)
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.minimum_version = ssl.TLSVersion.TLSv1_2
    context.load_cert_chain(cert, key)
    server.socket = context.wrap_socket(server.socket, server_side=True)
    server.serve_forever()


if __name__ == "__main__":
    main()
