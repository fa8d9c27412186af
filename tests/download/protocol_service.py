#!/usr/bin/env python3
"""A stand-in for the web service and its download server, written from the
protocol alone and sharing no code with quendic-service, so that the client
is checked against the protocol rather than against its own server.

    protocol_service.py --data DIR --port-file FILE [--port N] [--block-delay SECONDS]

DIR/11/XX.dat are the entry data files (packages) it offers. It answers
  GET /qv/sh.asp?p=BLOCK   package list (17), word location (23), server list (24)
  GET /dl/get?QUERY        block queries; the check value is verified
  GET /stats               what was asked so far: lines "name=value"
While DIR/cut-short exists, every block is cut off after half its bytes.
The port (a free one unless --port is given) is written to FILE once the
server listens. Each block waits --block-delay seconds before its first byte.
"""

import argparse
import hashlib
import http.server
import os
import threading
import urllib.parse
import zlib

OP_PACKAGE_LIST = 17
OP_LOCATE = 23
OP_SERVER_LIST = 24
ENTRY_CLASS = 11


def field(value, tag):
    return b"<" + tag + b">" + value + b"</" + tag + b">"


def parse_block(block):
    """Fields of a parameter block as {tag: value}, or None when its check
    (MD5 of the rest and one blank, upper case) is wrong or it is malformed."""
    if len(block) < 32:
        return None
    body, check = block[:-32], block[-32:]
    if hashlib.md5((body + " ").encode()).hexdigest().upper() != check:
        return None
    fields = {}
    at = 0
    try:
        while at < len(body):
            tag = int(body[at:at + 2], 16)
            at += 2
            if tag >= 200:
                size = int(body[at:at + 4], 16)
                at += 4
                fields[tag] = bytes.fromhex(body[at:at + size])
                at += size
            elif tag >= 128:
                size = int(body[at:at + 2], 16)
                at += 2
                value = body[at:at + size]
                fields[tag] = int(value, 16) if size == 8 and tag not in (128, 137) \
                    else bytes.fromhex(value)
                at += size
            else:
                fields[tag] = int(body[at:at + 8], 16)
                at += 8
    except ValueError:
        return None
    return fields


class Service:
    def __init__(self, data, delay):
        self.data = data
        self.delay = delay
        self.lock = threading.Lock()
        self.pages = []
        self.blocks = []
        self.in_flight = 0
        self.max_in_flight = 0
        self.refused = 0

    def package_path(self, number):
        return os.path.join(self.data, "11", "%02X.dat" % number)

    def packages(self):
        folder = os.path.join(self.data, "11")
        names = sorted(os.listdir(folder)) if os.path.isdir(folder) else []
        lines = []
        for name in names:
            stem = name[:-4]
            if not name.endswith(".dat") or len(stem) != 2:
                continue
            with open(os.path.join(folder, name), "rb") as f:
                content = f.read()
            number = int(stem, 16)
            lines.append(field(("词汇包 %02X" % number).encode("gbk"), b"JMMC") +
                         field(b"%08X" % number, b"JMBH") +
                         field(b"%08X" % len(content), b"FS") +
                         field(b"%08X" % (zlib.crc32(content) & 0xFFFFFFFF), b"FCRC"))
        return lines


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    service = None
    block_url = ""

    def log_message(self, *args):
        pass

    def reply(self, body, status=200):
        self.send_response(status)
        self.send_header("Content-Type", "text/plain")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def do_GET(self):
        url = urllib.parse.urlsplit(self.path)
        query = urllib.parse.parse_qs(url.query)
        if url.path == "/qv/sh.asp":
            self.page(query.get("p", [""])[0])
        elif url.path == "/dl/get":
            self.block(query)
        elif url.path == "/stats":
            s = self.service
            with s.lock:
                stats = "pages=%s\nblocks=%d\nmax_in_flight=%d\nrefused=%d\n" % (
                    ",".join(str(op) for op in s.pages), len(s.blocks), s.max_in_flight,
                    s.refused)
            self.reply(stats.encode())
        else:
            self.reply(b"not here", 404)

    def page(self, block):
        fields = parse_block(block)
        s = self.service
        if fields is None or 0 not in fields:
            with s.lock:
                s.refused += 1
            self.reply(field("参数错误".encode("gbk"), b"Result"))
            return
        op = fields[0]
        with s.lock:
            s.pages.append(op)
        ok = field(b"OK", b"Result")
        if op == OP_PACKAGE_LIST:
            self.reply(b"\r\n".join(s.packages()))
        elif op == OP_SERVER_LIST:
            self.reply(ok + field(self.client_address[0].encode(), b"IP") + b"\r\n" +
                       field(b"LOCAL", b"ISP") + field(self.block_url.encode(), b"Url"))
        elif op == OP_LOCATE:
            path = s.package_path(fields.get(32, -1))
            pos, length = fields.get(34, 0), fields.get(35, 0)
            if fields.get(31) != ENTRY_CLASS or not os.path.exists(path) or \
                    length == 0 or pos + length > os.path.getsize(path):
                self.reply(field("没有数据".encode("gbk"), b"Result"))
                return
            self.reply(ok + field(str(pos).encode(), b"Pos") + field(str(length).encode(), b"Len"))
        else:
            self.reply(field("未知的操作".encode("gbk"), b"Result"))

    def block(self, query):
        s = self.service
        try:
            cid, sid, fc = (int(query[k][0]) for k in ("cid", "sid", "fc"))
            fid, pos, length = query["fid"][0], int(query["pos"][0]), int(query["len"][0])
            check = query["check"][0]
        except (KeyError, ValueError):
            self.refuse(b"bad query")
            return
        expected = hashlib.md5(("%d%d%d " % (cid, pos, length)).encode()).hexdigest()
        path = s.package_path(int(fid, 16)) if len(fid) == 8 and fid == fid.upper() else ""
        if check != expected or fc != ENTRY_CLASS or sid != 102001 or not os.path.exists(path) \
                or pos < 0 or length < 0 or pos + length > os.path.getsize(path):
            self.refuse(b"refused: " + self.path.encode())
            return
        with open(path, "rb") as f:
            f.seek(pos)
            content = f.read(length)
        with s.lock:
            s.blocks.append([int(fid, 16), pos, length])
            s.in_flight += 1
            s.max_in_flight = max(s.max_in_flight, s.in_flight)
        try:
            threading.Event().wait(s.delay)
            self.send_response(200)
            self.send_header("Content-Type", "application/octet-stream")
            self.send_header("Content-Length", str(length))
            self.end_headers()
            if os.path.exists(os.path.join(s.data, "cut-short")):
                self.wfile.write(content[:length // 2])
                self.wfile.flush()
                self.close_connection = True
            else:
                self.wfile.write(content)
        finally:
            with s.lock:
                s.in_flight -= 1

    def refuse(self, text):
        with self.service.lock:
            self.service.refused += 1
        self.reply(text, 403)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--data", required=True)
    parser.add_argument("--port-file", required=True)
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--block-delay", type=float, default=0.05)
    args = parser.parse_args()
    # Ten block connections arrive at once; the default backlog of 5 drops some.
    http.server.ThreadingHTTPServer.request_queue_size = 64
    server = http.server.ThreadingHTTPServer(("127.0.0.1", args.port), Handler)
    server.daemon_threads = True
    port = server.server_address[1]
    Handler.service = Service(args.data, args.block_delay)
    Handler.block_url = "http://127.0.0.1:%d/dl/get?" % port
    with open(args.port_file + ".tmp", "w") as f:
        f.write(str(port))
    os.rename(args.port_file + ".tmp", args.port_file)
    server.serve_forever()


if __name__ == "__main__":
    main()
