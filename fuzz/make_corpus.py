#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets (fuzz/corpus/<name>/): the golden
vectors of the encoding and the records (decode), whole HTTP replies as the servers
send them (reply) and server-list documents (serverlist). Run it again after
changing a vector; the files it writes are checked in."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
CORPUS = os.path.join(HERE, "corpus")


def u16(v):
    return struct.pack(">H", v)


def text(s):
    b = s.encode("latin-1")
    return struct.pack(">I", (len(b) + 0x80000000) & 0xFFFFFFFF) + b


def field(name, value):
    return text(name) + text(value)


def reply(minor, status, fields):
    return u16(1) + u16(minor) + u16(status) + u16(len(fields)) + b"".join(field(*f) for f in fields)


def request(minor, first, second):
    return (u16(1) + u16(minor) + u16(len(first)) + u16(len(second))
            + b"".join(field(*f) for f in first + second))


SEEDS = {
    # The golden vectors of the encoding and of the records.
    "int32-zero": bytes.fromhex("80000000"),
    "int32-min": bytes.fromhex("00000000"),
    "int32-max": bytes.fromhex("FFFFFFFF"),
    "empty-address-request": bytes.fromhex("0001000100000000"),
    "server-then-product": request(1, [], [("server", "srv"), ("product", "prod")]),
    "request-kind-as-reply": bytes.fromhex("00010003"),
    "empty-address-reply": bytes.fromhex("0001000200000000"),
    "ticket-reply-short": bytes.fromhex("0001000400000002") + field("key", "TICKET"),
    # One of each kind, complete.
    "address-request-full": request(1, [], [("product", "TARN"), ("category", "LOGIN"), ("server", "any"),
                                            ("att1", "x=1")]),
    "customer-request-full": request(3, [], [("contextid", "ctx"), ("product", "PROD"), ("public", "pub"),
                                             ("password", "pw"), ("eventname", "ev"), ("machine", "{M}"),
                                             ("language", "en")]),
    "address-reply-9001": reply(2, 9001, [("serverlist",
                                           '<serverlist><server name="a" address="127.0.0.1:1" uc="1"/>'
                                           "</serverlist>")]),
    "ticket-reply-ok": reply(4, 0, [("key", "K"), ("lifetime", "3600")]) + b"\x00",
    "ticket-reply-2006": reply(4, 2006, []),
    "first-list": request(3, [("a", "b")], [("eventname", "e")]),
    # Hostile shapes.
    "negative-length": bytes.fromhex("0001000400000002 7FFFFFFF") + field("key", "K"),
    "length-past-end": bytes.fromhex("0001000400000001 80000005 6162"),
    "counts-65535": bytes.fromhex("00010001FFFFFFFF"),
    "major-2": bytes.fromhex("0002000200000000"),
}


THREE_SERVERS = ('<servers><server name="east-1" address="10.0.0.5:7000" uc="12"/>'
                 '<server name="west-2" address="192.168.1.20:80" uc="-3"/>'
                 '<server name="north" address=":9" uc="0"/></servers>')


def http(status, body, length=None):
    declared = b"" if length == "none" else b"Content-length: %d\r\n" % (len(body) if length is None else length)
    return b"HTTP/1.1 %d X\r\n" % status + declared + b"\r\n" + body


TICKET = reply(4, 0, [("key", "TICKET-42"), ("lifetime", "3600")])
ADDRESSES = reply(2, 0, [("serverlist", THREE_SERVERS)])

REPLIES = {
    "ticket": http(200, TICKET),
    "addresses": http(200, ADDRESSES),
    "ticket-no-length": http(200, TICKET, "none"),
    "ticket-length-minus-one": http(200, TICKET, -1),
    "ticket-cut": http(200, TICKET)[:102],
    "http10-302": b"HTTP/1.0 302 Found\r\nContent-length: 8\r\n\r\n" + bytes.fromhex("0001000400000000"),
    "not-found": http(404, b"no such servlet"),
    "status-9001": http(200, reply(2, 9001, [])),
}

SERVER_LISTS = {
    "three": THREE_SERVERS,
    "empty": "<servers/>",
    "missing-uc": '<servers><server name="a" address="b:1"/></servers>',
    "repeated-name": '<servers><s name="a" name="b" address="c:1" uc="1"/></servers>',
    "nested-and-text": '<servers>text<!-- c --><server name="a" address="b:2" uc="3"><x/></server></servers>',
    "entity": '<!DOCTYPE s [<!ENTITY e "x">]><servers><server name="&e;" address="&amp;:1" uc="1"/></servers>',
}

def write(name, seeds):
    out = os.path.join(CORPUS, name)
    os.makedirs(out, exist_ok=True)
    for seed, data in seeds.items():
        with open(os.path.join(out, seed), "wb") as f:
            f.write(data.encode("latin-1") if isinstance(data, str) else data)
    print(f"{len(seeds)} seeds in {out}")


def main():
    write("decode", SEEDS)
    write("reply", REPLIES)
    write("serverlist", SERVER_LISTS)


if __name__ == "__main__":
    main()
