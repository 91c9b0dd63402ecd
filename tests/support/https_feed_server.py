#!/usr/bin/env python3
"""The HTTP test server behind TLS, for the HTTPS fetch tests.

    python3 https_feed_server.py --bind 127.0.0.22 --root tests/data --dir DIR

Makes a throwaway self-signed certificate for the bind address in DIR
(cert.der is what a test trusts), then serves like test_server.py on port
443 of that loopback address. Exits by itself after --lifetime seconds.
"""

import argparse
import ipaddress
import os
import ssl
import subprocess
import sys
import threading

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "standins", "http"))
import test_server  # noqa: E402


def make_certificate(directory, address):
    os.makedirs(directory, exist_ok=True)
    key = os.path.join(directory, "key.pem")
    cert = os.path.join(directory, "cert.pem")
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", key,
                    "-out", cert, "-days", "2", "-subj", "/CN=" + address,
                    "-addext", "subjectAltName=IP:" + address],
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    subprocess.run(["openssl", "x509", "-in", cert, "-outform", "DER",
                    "-out", os.path.join(directory, "cert.der")], check=True)
    return cert, key


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--bind", default="127.0.0.1")
    parser.add_argument("--port", type=int, default=443)
    parser.add_argument("--root", default=".")
    parser.add_argument("--dir", required=True)
    parser.add_argument("--lifetime", type=float, default=900)
    args = parser.parse_args()
    if not ipaddress.ip_address(args.bind).is_loopback:
        sys.exit("https_feed_server: refusing to listen on a non-loopback address")
    cert, key = make_certificate(args.dir, args.bind)
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(cert, key)
    server = test_server.Server((args.bind, args.port), test_server.Handler)
    server.socket = context.wrap_socket(server.socket, server_side=True)
    server.root = args.root
    server.log = test_server.RequestLog(None)
    server.reader_replies = {}
    threading.Timer(args.lifetime, server.shutdown).start()
    server.serve_forever()


if __name__ == "__main__":
    main()
