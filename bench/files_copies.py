#!/usr/bin/env python3
"""A large file between two real copies over the end-to-end lab's veth pairs
(two hosts on one bridge), against a plain TCP copy of the same file over the
same pairs (Python's socket.sendfile into a file, as cat | nc would), in the
same run. Reports both rates and their ratio, the resident memory of either
copy above its idle, and the longest a search to the receiver waited for its
answer while the file came (the event loop standing still). With a rate
(tc's form, "1gbit"), the sender's link is shaped to it for both copies,
as an office's LAN would be.

usage: files_copies.py <portana> [megabytes [rate]]   (root: network namespaces)"""
import os
import shutil
import subprocess
import sys
import tempfile
import threading
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
from harness import Lab, enc, settings_file  # noqa: E402
from procstat import rss_mb  # noqa: E402

CHUNK = 1 << 20


def plain_copy(lab, src, dst, path, out):
    """Seconds for path from src to dst over plain TCP, written to out."""
    receiver = subprocess.Popen(["ip", "netns", "exec", dst.ns, sys.executable, "-c", """
import socket, sys
s = socket.socket(); s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
s.bind(("0.0.0.0", 50400)); s.listen(1); print("ready", flush=True)
c, _ = s.accept()
with open(sys.argv[1], "wb") as f:
    while True:
        b = c.recv(1 << 20)
        if not b:
            break
        f.write(b)
""", out], stdout=subprocess.PIPE, text=True)
    assert receiver.stdout.readline().strip() == "ready"
    start = time.monotonic()
    subprocess.run(["ip", "netns", "exec", src.ns, sys.executable, "-c", """
import socket, sys
s = socket.create_connection((sys.argv[1], 50400))
with open(sys.argv[2], "rb") as f:
    s.sendfile(f)
s.close()
""", dst.address, path], check=True)
    receiver.wait(600)
    return time.monotonic() - start


def main():
    if len(sys.argv) < 2:
        print(__doc__)
        return 2
    portana = os.path.abspath(sys.argv[1])
    megabytes = int(sys.argv[2]) if len(sys.argv) > 2 else 2048
    rate = sys.argv[3] if len(sys.argv) > 3 else None
    work = tempfile.mkdtemp(prefix="portana-bench-files-", dir=os.environ.get("BENCH_DIR", "/var/tmp"))
    tmp = tempfile.mkdtemp(prefix="portana-bench-bus-")
    lab = Lab(portana, tray=False)
    daemon = None
    try:
        path = os.path.join(work, "big.bin")
        block = os.urandom(CHUNK)
        with open(path, "wb") as f:
            for i in range(megabytes):
                f.write(block[i % 256:] + block[:i % 256])
        hs, hd, hp = lab.host(2), lab.host(3), lab.host(9)
        if rate:
            subprocess.run(["ip", "netns", "exec", hs.ns, "tc", "qdisc", "add", "dev", "eth0", "root",
                            "tbf", "rate", rate, "burst", "1mb", "latency", "50ms"], check=True)
        plain = plain_copy(lab, hs, hd, path, os.path.join(work, "plain.bin"))
        os.remove(os.path.join(work, "plain.bin"))

        bus = "unix:path=" + os.path.join(tmp, "bus")
        daemon = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--address=" + bus,
                                   "--print-address=1"], stdout=subprocess.PIPE,
                                  stderr=subprocess.DEVNULL, text=True)
        daemon.stdout.readline()
        saved = os.path.join(work, "saved")
        os.makedirs(saved)
        dfolder = tempfile.mkdtemp(prefix="portana-e2e-")
        with open(os.path.join(dfolder, "portana.ini"), "w", encoding="utf-8") as f:
            f.write("[files]\nautoSave=true\nfolder=%s\nmaxSize=%d\n" % (saved, megabytes + 1))
        c = lab.copy(hs, settings_file(optName="sender"), env={"DBUS_SESSION_BUS_ADDRESS": bus})
        d = lab.copy(hd, settings_file(optName="receiver"), folder=dfolder)
        peer = lab.peer(hp)
        time.sleep(3)
        idle = {c.pid: rss_mb(c.pid), d.pid: rss_mb(d.pid)}
        peak = dict(idle)
        waits = []
        done = threading.Event()

        def sample():
            while not done.is_set():
                for pid in peak:
                    peak[pid] = max(peak[pid], rss_mb(pid))
                peer.drain(0)
                sent = time.monotonic()
                peer.send(hd.address, enc("GROUP検索"))
                try:
                    peer.recv(5)
                    waits.append(time.monotonic() - sent)
                except Exception:
                    waits.append(5.0)
                time.sleep(0.02)
        sampler = threading.Thread(target=sample)
        start = time.monotonic()
        sender = subprocess.Popen(["ip", "netns", "exec", hs.ns, "env", "DBUS_SESSION_BUS_ADDRESS=" + bus,
                                   portana, "--send", hd.address, "大きなﾌｧｲﾙ", "--attach", path])
        sampler.start()
        target = os.path.join(saved, "big.bin")
        while not (os.path.exists(target) and os.path.getsize(target) == megabytes * CHUNK):
            if time.monotonic() - start > 3600:
                raise RuntimeError("the file did not arrive")
            time.sleep(0.05)
        copies = time.monotonic() - start
        done.set()
        sampler.join()
        sender.wait(30)
        with open(path, "rb") as a, open(target, "rb") as b:
            while True:
                x, y = a.read(CHUNK), b.read(CHUNK)
                if x != y:
                    raise RuntimeError("the saved file differs")
                if not x:
                    break
        mb = float(megabytes)
        print("file: %d MB%s" % (megabytes, ", the sender's link shaped to " + rate if rate else ""))
        print("plain TCP over the same veth pairs: %.1f s, %.0f MB/s" % (plain, mb / plain))
        print("between two copies (send to saved, SHA-256 checked): %.1f s, %.0f MB/s, %.2fx plain"
              % (copies, mb / copies, plain / copies))
        print("resident above idle: sender %+.1f MB, receiver %+.1f MB"
              % (peak[c.pid] - idle[c.pid], peak[d.pid] - idle[d.pid]))
        print("receiver's answer to a search during it: longest %.1f ms, median %.1f ms (%d asked)"
              % (max(waits) * 1000, sorted(waits)[len(waits) // 2] * 1000, len(waits)))
        return 0
    finally:
        lab.close()
        if daemon:
            daemon.terminate()
        shutil.rmtree(work, ignore_errors=True)
        shutil.rmtree(tmp, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
