#!/usr/bin/env python3
"""The demo catalogue server: Python's own HTTP/1.0 file server on loopback.

Serves ROOT on 127.0.0.1:PORT and writes one line per request to LOG.  Files
below /download/nosize/ are sent without a Content-Length header, so the demo
shows what Corvane does when a server gives no size.
"""
import http.server
import os
import sys


class Handler(http.server.SimpleHTTPRequestHandler):
    protocol_version = "HTTP/1.0"

    def send_header(self, keyword, value):
        if keyword.lower() == "content-length" and self.path.startswith("/download/nosize/"):
            return
        super().send_header(keyword, value)

    def log_message(self, fmt, *args):
        with open(LOG, "a") as log:
            log.write("%s %s\n" % (self.command, self.path))


if __name__ == "__main__":
    ROOT, PORT, LOG = sys.argv[1], int(sys.argv[2]), sys.argv[3]
    os.chdir(ROOT)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", PORT), Handler)
    print("serving %s on 127.0.0.1:%d" % (ROOT, PORT), flush=True)
    server.serve_forever()
