#!/usr/bin/env python3
"""Start-up against a bare Qt program (tray icon and UDP port only), from one
run on this machine: time from exec to the bound port, resident memory once
settled, and wake-ups while idle. Each program runs in a network namespace
of its own with loopback only, under a private Xvfb with trayer and a
private session bus. Given
bench_store, portana starts with 1,000,000 rows of history in its store.

usage: startup.py <portana> <bare_tray> [bench_store [rounds]]"""
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

from procstat import rss_mb

PORT_HEX = ":%04X" % 50319


def bound(pid):
    try:
        with open("/proc/%d/net/udp" % pid) as f:
            return any(PORT_HEX in line.split()[1] for line in f.readlines()[1:])
    except OSError:
        return False


def switches(pid):
    total = 0
    for task in os.listdir("/proc/%d/task" % pid):
        with open("/proc/%d/task/%s/status" % (pid, task)) as f:
            for line in f:
                if "ctxt_switches" in line:
                    total += int(line.split()[1])
    return total


def one(exe, env, folder):
    # unshare: a network of its own, so nothing leaves this machine.
    start = time.perf_counter()
    proc = subprocess.Popen(["unshare", "-n", "sh", "-c", 'ip link set lo up; exec "$0"', exe],
                            env=env, cwd=folder, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)
    deadline = start + 10
    while not bound(proc.pid):
        if time.perf_counter() > deadline or proc.poll() is not None:
            proc.kill()
            raise RuntimeError("%s did not bind its port" % exe)
        time.sleep(0.0005)
    ms = (time.perf_counter() - start) * 1000
    time.sleep(3.0)
    mb = rss_mb(proc.pid)
    before = switches(proc.pid)
    time.sleep(10 if idle else 0)
    wakeups = switches(proc.pid) - before
    proc.terminate()
    proc.wait(5)
    return ms, mb, wakeups


if __name__ == "__main__":
    portana, bare = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    filler = sys.argv[3] if len(sys.argv) > 3 else None
    rounds = int(sys.argv[4]) if len(sys.argv) > 4 else 5
    idle = True
    display = ":%d" % (150 + os.getpid() % 50)
    xvfb = subprocess.Popen(["Xvfb", display, "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    time.sleep(1)
    env = dict(os.environ, DISPLAY=display, QT_QPA_PLATFORM="xcb")
    env.pop("DBUS_SESSION_BUS_ADDRESS", None)
    folder = tempfile.mkdtemp(prefix="portana-startup-")
    # A session bus of its own, as a desktop has one: portana joins it to
    # offer its service to other programs; the bare program does not.
    bus = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address=1",
                            "--address=unix:path=" + os.path.join(folder, "bus")],
                           stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    env["DBUS_SESSION_BUS_ADDRESS"] = bus.stdout.readline().strip()
    trayer = subprocess.Popen(["trayer", "--edge", "top", "--align", "right", "--SetDockType", "true"],
                              env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    time.sleep(0.5)
    exe = os.path.join(folder, "portana")
    shutil.copy2(portana, exe)  # its settings folder is its own
    if filler:
        state = os.path.join(folder, "state")
        os.makedirs(os.path.join(state, "portana"))
        subprocess.run([filler, "fill", os.path.join(state, "portana"), "1000000"], check=True,
                       env=dict(os.environ, QT_QPA_PLATFORM="offscreen"))
        env["XDG_STATE_HOME"] = state
    results = {"portana": [], "bare": []}
    try:
        for r in range(rounds):
            idle = r == 0  # wake-ups are counted once; they need ten quiet seconds
            results["bare"].append(one(bare, env, folder))
            results["portana"].append(one(exe, env, folder))
    finally:
        trayer.terminate()
        xvfb.terminate()
        bus.terminate()
        shutil.rmtree(folder, ignore_errors=True)
    med = {k: (statistics.median(v[0] for v in rs), statistics.median(v[1] for v in rs),
               rs[0][2]) for k, rs in results.items()}
    for k in ("bare", "portana"):
        print("%-8s exec to bound port %6.1f ms   resident %5.1f MB   wake-ups in 10 s idle %d"
              % ((k,) + med[k]))
    print("portana / bare: start-up %.2fx, memory %+.1f MB"
          % (med["portana"][0] / med["bare"][0], med["portana"][1] - med["bare"][1]))
