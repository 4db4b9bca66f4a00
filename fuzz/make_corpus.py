#!/usr/bin/env python3
"""Writes the seed corpus of fuzz_decode (fuzz/corpus/decode/) from the golden
vectors of the encoding and the records. Run it again after changing a vector; the files
it writes are checked in."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "corpus", "decode")


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


def main():
    os.makedirs(OUT, exist_ok=True)
    for name, data in SEEDS.items():
        with open(os.path.join(OUT, name), "wb") as f:
            f.write(data)
    print(f"{len(SEEDS)} seeds in {OUT}")


if __name__ == "__main__":
    main()
