#!/usr/bin/env python3
"""A stand-in for the system-file server, reached as an HTTP proxy.

usage: sysfile_server.py ROOT PORT_FILE REQUEST_LOG

Answers GET /sysfiles2/files/<platform key>/<32 hex digits> (also in the
absolute form a proxy is sent) with ROOT/<platform key>/<hex digits>, and
404 otherwise. It listens on a free port of 127.0.0.1, writes the port to
PORT_FILE once it listens, and appends each requested path to REQUEST_LOG.
"""
import http.server
import os
import re
import sys
import urllib.parse

PATH = re.compile(r"^/sysfiles2/files/([0-9]{4}\.[0-9]{4}\.[0-9]{4})/([0-9a-f]{32})$")


def main():
    root, port_file, request_log = sys.argv[1:4]

    class Handler(http.server.BaseHTTPRequestHandler):
        def do_GET(self):
            path = urllib.parse.urlsplit(self.path).path
            with open(request_log, "a") as log:
                log.write(path + "\n")
            m = PATH.match(path)
            file = os.path.join(root, m.group(1), m.group(2)) if m else None
            if not file or not os.path.isfile(file):
                self.send_error(404)
                return
            body = open(file, "rb").read()
            self.send_response(200)
            self.send_header("Content-Type", "application/octet-stream")
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body)

        def log_message(self, *args):
            pass

    server = http.server.HTTPServer(("127.0.0.1", 0), Handler)
    with open(port_file + ".tmp", "w") as f:
        f.write(str(server.server_address[1]))
    os.replace(port_file + ".tmp", port_file)
    server.serve_forever()


if __name__ == "__main__":
    main()
