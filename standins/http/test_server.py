#!/usr/bin/env python3
"""HTTP server for the tests: fixture files plus misbehaviour on request.

    python3 test_server.py --bind 127.0.0.1 --port 80 --root tests/data --log FILE

Listens on a loopback address only. Threaded; every response ends by itself
(delays, drips and endless bodies are capped in time and size).

Files under --root are served by path (GET /feeds/rss20.xml). File responses
carry ETag and Last-Modified and answer If-None-Match / If-Modified-Since with
304 Not Modified.

Query options, on any file or generated path:
  status=N    answer with status N and a short text body instead
  delay=S     wait S seconds (at most 30) before answering
  drip=MS     send the body in 64-byte pieces, MS milliseconds apart
  piece=N     with drip: pieces of N bytes instead (at least 1)
  cut=N       announce the full Content-Length, close after N body bytes
  type=MIME   Content-Type of the answer
  tag=NAME    label stored with the request, for /_requests?tag=NAME

Generated paths:
  /_redirect?to=PATH[&code=302]   one redirect to PATH
  /_chain?n=K&to=PATH             K redirects, then PATH
  /_loop                          redirects to itself without end
  /_bytes?size=N[&chunked=1]      N filler bytes (at most 256 MiB), with a
                                  Content-Length unless chunked
  /_endless                       a body without length that runs until the
                                  client leaves, 60 s or 256 MiB
  /_feed?items=N[&pad=B]          an RSS 2.0 document with N items, each with
                                  a description of B filler bytes

Web reader of the mail service:
  /cgi-bin/reader_subscribe?...&url=FEED&...
                                  recorded with tag "reader"; answers the body
                                  registered for FEED, else a reply carrying
                                  the subscribed marker after an XML declaration

Control paths (not recorded):
  /_requests[?tag=NAME]           JSON list of recorded requests, oldest first:
                                  [{"method", "path", "tag", "headers": {name: value}}]
  /_reset                         forgets the recorded requests and replies
  /_reader_reply?url=FEED&body=B  the reader answers a subscription of FEED
                                  with B (percent-encoded here)

Every recorded request is also appended to --log as the request line followed
by its headers and a blank line.
"""

import argparse
import email.utils
import hashlib
import ipaddress
import json
import os
import sys
import threading
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from urllib.parse import parse_qs, quote, unquote, urlsplit

MAX_DELAY = 30.0
MAX_BODY = 256 * 1024 * 1024
MAX_STREAM_SECONDS = 60.0
PIECE = 64
FILLER = b"x" * 65536
READER_PATH = "/cgi-bin/reader_subscribe"
READER_DEFAULT_REPLY = '<?xml version="1.0" encoding="utf-8"?>\n<result type="0">ok</result>\n'

TYPES = {".xml": "text/xml", ".rss": "application/rss+xml", ".atom": "application/atom+xml",
         ".html": "text/html", ".txt": "text/plain", ".json": "application/json"}


class RequestLog:
    def __init__(self, path):
        self.lock = threading.Lock()
        self.entries = []
        self.path = path

    def add(self, handler, tag):
        entry = {"method": handler.command, "path": handler.path, "tag": tag,
                 "headers": {k: v for k, v in handler.headers.items()}}
        with self.lock:
            self.entries.append(entry)
            if self.path:
                with open(self.path, "a", encoding="utf-8", errors="replace") as log:
                    log.write(handler.requestline + "\n" + str(handler.headers) + "\n")

    def select(self, tag):
        with self.lock:
            return [e for e in self.entries if tag is None or e["tag"] == tag]

    def reset(self):
        with self.lock:
            self.entries.clear()


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "FeedTestServer/1.0"

    def log_message(self, fmt, *args):
        pass

    def do_HEAD(self):
        self.handle_request(send_body=False)

    def do_GET(self):
        self.handle_request(send_body=True)

    # -- dispatch -----------------------------------------------------------

    def handle_request(self, send_body):
        self.send_body = send_body
        url = urlsplit(self.path)
        self.query = {k: v[-1] for k, v in parse_qs(url.query, keep_blank_values=True).items()}
        route = unquote(url.path)
        try:
            if route == "/_requests":
                return self.reply(200, json.dumps(self.server.log.select(self.query.get("tag")),
                                                  ensure_ascii=False).encode("utf-8"),
                                  "application/json")
            if route == "/_reset":
                self.server.log.reset()
                self.server.reader_replies.clear()
                return self.reply(200, b"reset\n", "text/plain")
            if route == "/_reader_reply":
                self.server.reader_replies[self.query.get("url", "")] = self.query.get("body", "")
                return self.reply(200, b"registered\n", "text/plain")
            if route == READER_PATH:
                self.server.log.add(self, "reader")
                body = self.server.reader_replies.get(self.query.get("url"), READER_DEFAULT_REPLY)
                return self.reply(200, body.encode("utf-8"), "text/xml")
            self.server.log.add(self, self.query.get("tag"))
            delay = min(float(self.query.get("delay", 0) or 0), MAX_DELAY)
            if delay > 0:
                time.sleep(delay)
            if "status" in self.query:
                code = int(self.query["status"])
                return self.reply(code, ("status %d\n" % code).encode(), "text/plain")
            generated = getattr(self, "route_" + route[2:], None) if route.startswith("/_") else None
            if generated:
                return generated()
            return self.serve_file(route)
        except (BrokenPipeError, ConnectionResetError):
            self.close_connection = True
        except ValueError as error:
            self.reply(400, ("bad request: %s\n" % error).encode(), "text/plain")

    # -- generated answers --------------------------------------------------

    def route_redirect(self):
        code = int(self.query.get("code", 302))
        self.redirect(code, self.query.get("to", "/"))

    def route_chain(self):
        left = int(self.query.get("n", 1))
        target = self.query.get("to", "/")
        if left <= 0:
            return self.redirect(302, target)
        self.redirect(302, "/_chain?n=%d&to=%s" % (left - 1, quote(target, safe="")))

    def route_loop(self):
        self.redirect(302, self.path)

    def route_bytes(self):
        size = min(int(self.query.get("size", 0)), MAX_BODY)
        if self.query.get("chunked") == "1":
            return self.stream(size, MAX_STREAM_SECONDS)
        self.send_response(200)
        self.send_header("Content-Type", self.query.get("type", "application/octet-stream"))
        self.send_header("Content-Length", str(size))
        self.end_headers()
        if self.send_body:
            self.write_filler(size, MAX_STREAM_SECONDS)

    def route_endless(self):
        self.stream(MAX_BODY, MAX_STREAM_SECONDS)

    def route_feed(self):
        items = min(int(self.query.get("items", 3)), 100000)
        pad = "p" * min(int(self.query.get("pad", 0)), 4096)
        description = "<description>%s</description>" % pad if pad else ""
        parts = ['<?xml version="1.0" encoding="UTF-8"?>\n<rss version="2.0"><channel>'
                 "<title>Generated</title><link>http://example.org/</link>"]
        for k in range(1, items + 1):
            parts.append("<item><title>Item %d</title><link>http://example.org/%d</link>%s</item>"
                         % (k, k, description))
        parts.append("</channel></rss>\n")
        self.reply(200, "".join(parts).encode("utf-8"), "text/xml")

    # -- files --------------------------------------------------------------

    def serve_file(self, route):
        root = os.path.realpath(self.server.root)
        path = os.path.realpath(os.path.join(root, route.lstrip("/")))
        if not path.startswith(root + os.sep) or not os.path.isfile(path):
            return self.reply(404, b"not found\n", "text/plain")
        with open(path, "rb") as source:
            body = source.read()
        stamp = os.path.getmtime(path)
        etag = '"%s"' % hashlib.sha1(body).hexdigest()[:16]
        modified = email.utils.formatdate(stamp, usegmt=True)
        if self.not_modified(etag, stamp):
            self.send_response(304)
            self.send_header("ETag", etag)
            self.send_header("Last-Modified", modified)
            self.send_header("Content-Length", "0")
            self.end_headers()
            return
        content_type = TYPES.get(os.path.splitext(path)[1].lower(), "application/octet-stream")
        self.reply(200, body, content_type, {"ETag": etag, "Last-Modified": modified})

    def not_modified(self, etag, stamp):
        match = self.headers.get("If-None-Match")
        if match is not None:
            return etag in [tag.strip() for tag in match.split(",")] or match.strip() == "*"
        since = self.headers.get("If-Modified-Since")
        if since:
            try:
                return int(stamp) <= email.utils.parsedate_to_datetime(since).timestamp()
            except (TypeError, ValueError):
                return False
        return False

    # -- writing ------------------------------------------------------------

    def redirect(self, code, target):
        self.send_response(code)
        self.send_header("Location", target)
        self.send_header("Content-Length", "0")
        self.end_headers()

    def reply(self, code, body, content_type, headers=None):
        self.send_response(code)
        self.send_header("Content-Type", self.query.get("type", content_type)
                         if hasattr(self, "query") else content_type)
        self.send_header("Content-Length", str(len(body)))
        for name, value in (headers or {}).items():
            self.send_header(name, value)
        self.end_headers()
        if not self.send_body:
            return
        cut = self.query.get("cut")
        if cut is not None:
            body = body[:int(cut)]
            self.close_connection = True
        drip = self.query.get("drip")
        if drip is None:
            self.wfile.write(body)
            return
        pause = min(float(drip), 1000.0) / 1000.0
        piece = max(1, int(self.query.get("piece", PIECE)))
        deadline = time.monotonic() + MAX_STREAM_SECONDS
        for start in range(0, len(body), piece):
            if time.monotonic() > deadline:
                self.close_connection = True
                return
            self.wfile.write(body[start:start + piece])
            self.wfile.flush()
            time.sleep(pause)

    def write_filler(self, size, seconds):
        deadline = time.monotonic() + seconds
        sent = 0
        while sent < size and time.monotonic() < deadline:
            piece = FILLER[:min(len(FILLER), size - sent)]
            self.wfile.write(piece)
            sent += len(piece)
        if sent < size:
            self.close_connection = True

    def stream(self, size, seconds):
        """A body without Content-Length: ends with the connection."""
        self.send_response(200)
        self.send_header("Content-Type", self.query.get("type", "application/octet-stream"))
        self.send_header("Connection", "close")
        self.end_headers()
        self.close_connection = True
        if self.send_body:
            self.write_filler(size, seconds)


class Server(ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = True


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--bind", default="127.0.0.1")
    parser.add_argument("--port", type=int, default=80)
    parser.add_argument("--root", default=".")
    parser.add_argument("--log", default=None)
    args = parser.parse_args()
    if not ipaddress.ip_address(args.bind).is_loopback:
        sys.exit("test_server: refusing to listen on a non-loopback address")
    server = Server((args.bind, args.port), Handler)
    server.root = args.root
    server.log = RequestLog(args.log)
    server.reader_replies = {}
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass


if __name__ == "__main__":
    main()
