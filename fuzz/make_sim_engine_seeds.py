#!/usr/bin/env python3
"""Writes the seed corpus of fuzz_sim_engine: a few valid request streams (see the harness for
the first byte's meaning). Run from the repository root: python3 fuzz/make_sim_engine_seeds.py"""
import os
import struct

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus", "sim_engine")


def field(text, size):
    data = text.encode()
    return data + b"\0" * (size - len(data))


def frame(msg_type, body, request=1, conn=0):
    # length, type, count, requestId, sessionId, last, reserved[3] (reserved[0]: connection)
    return struct.pack("<IHHiIB3B", len(body), msg_type, 1, request, 0, 1, conn, 0, 0) + body


def login(exchange="1", account="10001001", password="123456"):
    body = (field(account, 18) + field(password, 10) + field("0001", 6) + exchange.encode() + b"7"
            + field("qeto-desk", 29))
    terminal = field("", 19) + field("", 33) + field("", 16) + field("", 21) + field("desk-01", 21)
    return frame(1, body + terminal)


def order(code, direction, price, volume, local_id=1, conn=0):
    body = (struct.pack("<I", local_id) + field(code, 8) + direction.encode() + b"\0" + struct.pack("<di", price, volume)
            + b"20" + b"\0" * 4 + field("ApiClient", 16))
    return frame(3, body, request=2, conn=conn)


def cancel(sys_id, local_id=2):
    return frame(4, struct.pack("<iI", local_id, sys_id) + b"\0" * 33 + b"1" + b"\0" * 6, request=3)


def query_orders(position=0, begin="", end=""):
    body = struct.pack("<I", 0) + field("", 12) + field(begin, 9) + field(end, 9) + struct.pack("<i", position)
    body += b"\0" * 4 + b"\2" + b"\0" * 119
    return frame(5, body, request=4)


def query_fund():
    return frame(8, b"\0" * 143, request=5)


def bt_transfer(direction, amount):
    body = field("SH01", 4) + field("10001001", 16) + struct.pack("<d", amount) + direction.encode()
    return frame(13, body + b"\0" * 63, request=7)


def deposit(amount):
    body = b"\0" * 4 + field("10001001", 26) + struct.pack("<d", amount)
    return frame(10, body + b"\0" * 96, request=8)


def heartbeat():
    return frame(19, b"", request=6)


SEEDS = {
    # control 0x00: the stream's own session ids (0: refused with 1005), a fresh login on connection 1
    "login": b"\x00" + login("1") + login("2", password="bad"),
    # control 0x0c: session ids filled in, a tick after each frame; a marketable sell fills at once
    "order": b"\x0c" + order("600000", "2", 10.00, 500) + order("600000", "1", 10.50, 100, 2, conn=1),
    # control 0x04: a resting buy, then its cancellation
    "cancel": b"\x04" + order("600000", "1", 9.50, 100) + cancel(3),
    # control 0x05 (Shenzhen): queries and a heartbeat
    "query": b"\x05" + query_orders() + query_orders(1, "093000000", "150000000") + query_fund() + heartbeat(),
    # control 0x14: 120 historical orders, two pages of them
    "pages": b"\x14" + query_orders() + query_orders(50),
    # control 0x0c: a deposit and a transfer to Shenzhen, completed by the delayed task
    "money": b"\x0c" + deposit(1000.0) + bt_transfer("1", 500.0),
}

os.makedirs(OUT, exist_ok=True)
for name, data in SEEDS.items():
    with open(os.path.join(OUT, name), "wb") as f:
        f.write(data)
