#!/usr/bin/python3
"""A local RFC 3161 time-stamp authority for the signing test: answers each
POSTed request with `openssl ts -reply`. Prints its port, then serves.

Usage: tsa_server.py FOLDER  (FOLDER holds tsa.cnf, tsa.pem, tsa.key, ca.pem)
"""
import http.server
import os
import subprocess
import sys
import tempfile


class Authority(http.server.BaseHTTPRequestHandler):
    def do_POST(self):
        request = self.rfile.read(int(self.headers['Content-Length']))
        with tempfile.TemporaryDirectory() as work:
            with open(os.path.join(work, 'request'), 'wb') as f:
                f.write(request)
            answered = subprocess.run(
                ['openssl', 'ts', '-reply', '-config', 'tsa.cnf', '-queryfile', work + '/request',
                 '-signer', 'tsa.pem', '-inkey', 'tsa.key', '-chain', 'ca.pem', '-out', work + '/reply'],
                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode == 0
            reply = open(work + '/reply', 'rb').read() if answered else b''
        self.send_response(200 if reply else 500)
        self.send_header('Content-Type', 'application/timestamp-reply')
        self.send_header('Content-Length', str(len(reply)))
        self.end_headers()
        self.wfile.write(reply)

    def log_message(self, *args):
        pass


os.chdir(sys.argv[1])
server = http.server.HTTPServer(('127.0.0.1', 0), Authority)
print(server.server_address[1], flush=True)
server.serve_forever()
