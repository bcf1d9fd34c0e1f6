#!/usr/bin/env python3
"""How often the window thread waits for the disk when a message is kept:
bench_store keeps N messages (one batch each) under strace, and every write
and sync it makes is counted by thread and by file. The window thread is
the process's first; the store's worker is a thread of its own.

usage: durability.py <bench_store> [messages]"""
import collections
import os
import re
import subprocess
import sys
import tempfile

SYSCALLS = "fsync,fdatasync,sync_file_range,pwrite64,pwritev,write,ftruncate"
LINE = re.compile(r"^(\d+)\s+(\w+)\((\d+)<([^>]*)>")

if __name__ == "__main__":
    bench = os.path.abspath(sys.argv[1])
    messages = int(sys.argv[2]) if len(sys.argv) > 2 else 1000
    out = tempfile.mktemp(prefix="portana-strace-")
    proc = subprocess.Popen(["strace", "-f", "-y", "-qq", "-e", "trace=" + SYSCALLS, "-o", out,
                             bench, "acks", str(messages)],
                            env=dict(os.environ, QT_QPA_PLATFORM="offscreen"),
                            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    printed = proc.communicate()[0].strip()
    print(printed)
    window = int(re.search(r"window thread (\d+)", printed).group(1))
    counts = collections.Counter()
    with open(out) as f:
        lines = f.readlines()
    os.remove(out)
    # Only from the first message to the worker's last checkpoint: opening
    # and closing the store are not the common path.
    counting = False
    for line in lines:
        m = LINE.match(line)
        if not m:
            continue
        tid, call, fd, path = int(m.group(1)), m.group(2), m.group(3), m.group(4)
        if fd == "1":
            if '"window thread' in line:
                counting = True
            elif '"done' in line:
                counting = False
            continue
        if not counting or "portana.db" not in path:
            continue
        what = "sync" if "sync" in call else "write"
        thread = "window thread" if tid == window else "worker"
        counts[(thread, what, os.path.basename(path).replace("portana.db", "db"))] += 1
    for (thread, what, name), n in sorted(counts.items()):
        print("%-14s %-5s %-8s %7d  (%.2f a message)" % (thread, what, name, n, n / messages))
