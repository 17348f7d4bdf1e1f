#!/usr/bin/env python3
"""A loopback web server for the sources' documents: plain HTTP for every source, and HTTPS
(with the given certificate) for the one source fetched over TLS.

The folder given with --root holds the documents and a file "routes" with one line per document:
the request target exactly as the program sends it (query and fragment included), a space, and the
document's file name. Any other target gets a 404 page. Each response is HTTP/1.0 with a
Content-Length, and the connection is closed after it.

The chosen ports are written to --ports-file as "http <port>" and "https <port>" lines once both
servers listen, so that a caller can start it with port 0 and wait for the file.
"""
import argparse
import http.server
import os
import socket
import ssl
import sys
import threading


def load_routes(root):
    routes = {}
    with open(os.path.join(root, "routes"), encoding="utf-8") as f:
        for line in f:
            line = line.strip()
            if line and not line.startswith("#"):
                target, name = line.split(" ", 1)
                routes[target] = os.path.join(root, name.strip())
    return routes


def make_handler(routes, quiet):
    class Handler(http.server.BaseHTTPRequestHandler):
        protocol_version = "HTTP/1.0"
        server_version = "BrevakDemo/1"

        def do_GET(self):
            path = routes.get(self.path)
            if path is None:
                body, status, ctype = b"<html><body>Not found</body></html>\r\n", 404, "text/html"
            else:
                with open(path, "rb") as f:
                    body = f.read()
                status = 200
                ctype = "text/plain" if path.endswith((".txt", ".csv")) else "text/html"
            self.send_response(status)
            self.send_header("Content-Type", ctype)
            self.send_header("Content-Length", str(len(body)))
            self.send_header("Connection", "close")
            self.end_headers()
            self.wfile.write(body)

        def log_message(self, fmt, *args):
            if not quiet:
                sys.stderr.write("demo server: %s\n" % (fmt % args))

    return Handler


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--root", required=True)
    p.add_argument("--bind", default="127.0.0.1")
    p.add_argument("--http-port", type=int, default=0)
    p.add_argument("--https-port", type=int, default=0)
    p.add_argument("--cert")
    p.add_argument("--key")
    p.add_argument("--ports-file", required=True)
    p.add_argument("--quiet", action="store_true")
    a = p.parse_args()

    handler = make_handler(load_routes(a.root), a.quiet)
    server_class = http.server.ThreadingHTTPServer
    if ":" in a.bind:
        class V6Server(http.server.ThreadingHTTPServer):
            address_family = socket.AF_INET6
        server_class = V6Server
    servers = [("http", server_class((a.bind, a.http_port), handler))]
    if a.cert:
        tls = server_class((a.bind, a.https_port), handler)
        ctx = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        ctx.load_cert_chain(a.cert, a.key)
        tls.socket = ctx.wrap_socket(tls.socket, server_side=True)
        servers.append(("https", tls))
    for _, s in servers:
        s.daemon_threads = True
        threading.Thread(target=s.serve_forever, daemon=True).start()

    tmp = a.ports_file + ".tmp"
    with open(tmp, "w") as f:
        for kind, s in servers:
            f.write("%s %d\n" % (kind, s.server_address[1]))
    os.replace(tmp, a.ports_file)
    try:
        threading.Event().wait()
    except KeyboardInterrupt:
        pass


if __name__ == "__main__":
    main()
