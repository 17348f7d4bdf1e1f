"""A loopback web server for the network tests: files from the current folder with
Content-Length (http.server), and /chunked?n=COUNT&size=BYTES answered with that many chunks of a
fixed pattern. Writes its port to the file named by the first argument once it listens."""
import http.server
import sys
import urllib.parse


class Handler(http.server.SimpleHTTPRequestHandler):
    def do_GET(self):
        url = urllib.parse.urlsplit(self.path)
        if url.path != "/chunked":
            return super().do_GET()
        query = urllib.parse.parse_qs(url.query)
        count = int(query.get("n", ["3"])[0])
        size = int(query.get("size", ["1000"])[0])
        self.protocol_version = "HTTP/1.1"
        self.send_response(200)
        self.send_header("Content-Type", "text/plain")
        self.send_header("Transfer-Encoding", "chunked")
        self.send_header("Connection", "close")
        self.end_headers()
        for i in range(count):
            data = bytes((i + j) % 251 for j in range(size))
            self.wfile.write(b"%x\r\n" % len(data) + data + b"\r\n")
        self.wfile.write(b"0\r\n\r\n")

    def log_message(self, *args):
        pass


server = http.server.HTTPServer(("127.0.0.1", 0), Handler)
with open(sys.argv[1], "w") as f:
    f.write(str(server.server_address[1]))
server.serve_forever()
