#!/usr/bin/env python3
"""Prints a Windows minidump's stream directory and checks what a crash report needs: the MDMP
signature, thread-list, module-list and exception streams, and (with --crash-thread) that the
exception stream names that thread and the thread list holds it. Exits 1 on any failure."""
import argparse
import struct
import sys

NAMES = {0: "Unused", 3: "ThreadList", 4: "ModuleList", 5: "MemoryList", 6: "Exception",
         7: "SystemInfo", 8: "ThreadExList", 9: "Memory64List", 10: "CommentA", 11: "CommentW",
         12: "HandleData", 13: "FunctionTable", 14: "UnloadedModuleList", 15: "MiscInfo",
         16: "MemoryInfoList", 17: "ThreadInfoList", 18: "HandleOperationList", 19: "Token",
         21: "SystemMemoryInfo", 22: "ProcessVmCounters"}
EXCEPTIONS = {0xC0000005: "access violation", 0x80000003: "breakpoint",
              0xC000001D: "illegal instruction", 0xC00000FD: "stack overflow"}


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("dump")
    ap.add_argument("--crash-thread", type=int)
    args = ap.parse_args()
    data = open(args.dump, "rb").read()
    problems = []
    if len(data) < 32 or data[:4] != b"MDMP":
        print(f"{args.dump}: not a minidump (no MDMP signature)")
        return 1
    _, version, count, dir_rva = struct.unpack_from("<4sIII", data, 0)
    print(f"minidump {args.dump}: {len(data)} bytes, version 0x{version & 0xffff:04x}, {count} streams")
    streams = {}
    for i in range(count):
        off = dir_rva + 12 * i
        if off + 12 > len(data):
            problems.append("stream directory runs past the end of the file")
            break
        kind, size, rva = struct.unpack_from("<III", data, off)
        if rva + size > len(data):
            problems.append(f"stream {kind} runs past the end of the file")
            continue
        streams.setdefault(kind, (size, rva))
        print(f"  stream {i:2}: {NAMES.get(kind, 'type %d' % kind):<20} {size:>9} bytes at 0x{rva:x}")

    def need(kind):
        if kind not in streams:
            problems.append(f"no {NAMES[kind]} stream")
            return None
        return streams[kind][1]

    threads = []
    rva = need(3)
    if rva is not None:
        (n,) = struct.unpack_from("<I", data, rva)
        threads = [struct.unpack_from("<I", data, rva + 4 + 48 * k)[0] for k in range(n)]
        print(f"  threads: {n} ({', '.join(str(t) for t in threads)})")
    rva = need(4)
    if rva is not None:
        (n,) = struct.unpack_from("<I", data, rva)
        names = []
        for k in range(n):
            (name_rva,) = struct.unpack_from("<I", data, rva + 4 + 108 * k + 20)
            (length,) = struct.unpack_from("<I", data, name_rva)
            names.append(data[name_rva + 4:name_rva + 4 + length].decode("utf-16-le", "replace"))
        short = [x.replace("/", "\\").rsplit("\\", 1)[-1] for x in names]
        print(f"  modules: {n} ({', '.join(short[:8])}{', ...' if n > 8 else ''})")
        if not any(s.lower() == "qeto-desk.exe" for s in short):
            problems.append("the module list lacks Qeto-Desk.exe")
    rva = need(6)
    if rva is not None:
        tid, _, code, _, _, address = struct.unpack_from("<IIIIQQ", data, rva)
        print(f"  exception: thread {tid}, code 0x{code:08X} ({EXCEPTIONS.get(code, '?')}) at 0x{address:x}")
        if args.crash_thread is not None and tid != args.crash_thread:
            problems.append(f"exception stream names thread {tid}, not the crashing {args.crash_thread}")
        if threads and tid not in threads:
            problems.append(f"exception thread {tid} is not in the thread list")
    for p in problems:
        print(f"  FAIL {p}")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
