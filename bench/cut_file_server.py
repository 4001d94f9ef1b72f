#!/usr/bin/env python3
"""Web server of the resume benchmark: serves the files of a folder over
HTTP/1.0, honours "Range: bytes=N-" (206 with its Content-Range and the
file's ETag) and ends every connection at the next of the given cut offsets,
so a client gets a whole file only by resuming.  GET /sent answers the bytes
sent since the last such request (status lines, headers and bodies).

    cut_file_server.py PORT FOLDER CUT...
"""
import http.server
import os
import sys
import threading

PORT, ROOT = int(sys.argv[1]), sys.argv[2]
CUTS = sorted(int(c) for c in sys.argv[3:])
sent = 0
lock = threading.Lock()


def count(n):
    global sent
    with lock:
        sent += n


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.0"

    def log_message(self, *args):
        pass

    def raw(self, lines):
        data = ("\r\n".join(lines) + "\r\n\r\n").encode("latin-1")
        self.wfile.write(data)
        count(len(data))

    def do_HEAD(self):
        self.answer(False)

    def do_GET(self):
        global sent
        if self.path == "/sent":
            with lock:
                body, sent = str(sent).encode(), 0
            self.wfile.write(b"HTTP/1.0 200 OK\r\nContent-Length: %d\r\n\r\n%s" % (len(body), body))
            return
        self.answer(True)

    def answer(self, with_body):
        path = os.path.join(ROOT, os.path.basename(self.path))
        if not os.path.isfile(path):
            self.raw(["HTTP/1.0 404 Not Found", "Content-Length: 0"])
            return
        size = os.path.getsize(path)
        etag = '"%x-%x"' % (int(os.path.getmtime(path)), size)
        start = 0
        wanted = self.headers.get("Range", "")
        if wanted.startswith("bytes=") and wanted.endswith("-") and wanted[6:-1].isdigit():
            start = int(wanted[6:-1])
        if start >= size and start > 0:
            self.raw(["HTTP/1.0 416 Range Not Satisfiable", "Content-Length: 0",
                      "Content-Range: bytes */%d" % size])
            return
        if start > 0:
            self.raw(["HTTP/1.0 206 Partial Content", "Content-Length: %d" % (size - start), "ETag: " + etag,
                      "Content-Range: bytes %d-%d/%d" % (start, size - 1, size)])
        else:
            self.raw(["HTTP/1.0 200 OK", "Content-Length: %d" % size, "ETag: " + etag])
        if not with_body:
            return
        end = min([c for c in CUTS if c > start] + [size])
        with open(path, "rb") as f:
            try:
                count(self.connection.sendfile(f, start, end - start))
            except OSError:
                pass


server = http.server.ThreadingHTTPServer(("127.0.0.1", PORT), Handler)
print("serving", flush=True)
server.serve_forever()
