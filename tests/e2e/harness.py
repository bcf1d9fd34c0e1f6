"""End-to-end harness: real portana copies in network namespaces joined by a
bridge (198.18.0.0/24), under Xvfb with a tray host, and a scripted peer.

Everything it creates (namespaces, X server, processes, folders) is removed
again when the lab closes. Traffic never leaves the namespaces it creates."""
import glob
import json
import re
import os
import shutil
import signal
import subprocess
import tempfile
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
PORT = 50319
ARTIFACTS = os.environ.get("PORTANA_ARTIFACTS", os.path.join(os.getcwd(), "e2e-artifacts"))


# The send window's peer list, in pixels at 96 dpi: the recipient box is 300
# twips high, the group list 300 below it and the list 10 below that; with
# the CJK font the header is 22 pixels and a row 18.
LIST_TOP, HEADER, ROW = 41, 22, 18


def enc(text):
    return text.encode("cp932")


def pad(text, width=20):
    return (text + " " * width)[:width]


def settings_file(**values):
    """optGFile.dat as a copy on Windows writes it, with some values changed."""
    v = dict(iconNo="0", sndConfirm=1, sndConfirmMin=0, rcvConfirm=1, rcvConfirmMin=0,
             otherReject=0, rcvButton=0, pwCheck=0, pwStored="", pwCurrent="", pwNew="",
             pos=("True", "False", "False", "False", "False"), iconRandom=0,
             optName="", autoErase=0, ipSetName="", ipSetAddr="", blinkIcon="0",
             font=("", "9", "0", "False", "False", "False", "False", "16777215"))
    v.update(values)
    q = lambda s: '"%s"' % s
    lines = [
        q("optGFile"), q(v["iconNo"]),
        ",".join(str(v[k]) for k in ("sndConfirm", "sndConfirmMin", "rcvConfirm",
                                     "rcvConfirmMin", "otherReject", "rcvButton")),
        ",".join([str(v["pwCheck"]), q(v["pwStored"]), q(v["pwCurrent"]), q(v["pwNew"])]),
        ",".join(q(p) for p in v["pos"]),
        str(v["iconRandom"]),
        q(pad(v["optName"])) + "," + str(v["autoErase"]),
        ",".join([q(v["ipSetName"]), q(v["ipSetAddr"]), q(v["blinkIcon"])]),
        ",".join(q(f) for f in v["font"]),
    ]
    return "".join(line + "\r\n" for line in lines).encode("cp932")


def run(*args, check=True, **kw):
    return subprocess.run(list(args), check=check, capture_output=True, text=True, **kw)


def require_lab():
    """Skips the calling test module where the lab cannot be built."""
    if os.geteuid() != 0:
        raise unittest.SkipTest("needs root for network namespaces")
    for tool in ("ip", "Xvfb", "trayer", "openbox", "xdotool", "xmodmap", "import"):
        if not shutil.which(tool):
            raise unittest.SkipTest("missing " + tool)


class Display:
    """A private X server with a tray host in its top-right corner, or none."""

    def __init__(self, tray=True, wm=False):
        for n in range(60, 120):
            if not os.path.exists("/tmp/.X11-unix/X%d" % n) and not os.path.exists("/tmp/.X%d-lock" % n):
                self.number = n
                break
        self.name = ":%d" % self.number
        self.xvfb = subprocess.Popen(["Xvfb", self.name, "-screen", "0", "1024x768x24", "-br", "-nolisten", "tcp"],
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        deadline = time.time() + 10
        while not os.path.exists("/tmp/.X11-unix/X%d" % self.number):
            if time.time() > deadline:
                raise RuntimeError("Xvfb did not start")
            time.sleep(0.05)
        self.env = dict(os.environ, DISPLAY=self.name)
        self.trayer = None
        self.wm = None
        if wm:
            # A window manager, for what only one enforces (minimum sizes).
            self.wm = subprocess.Popen(["openbox", "--sm-disable"], env=self.env,
                                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            time.sleep(0.5)
        if not tray:
            return
        self.trayer = subprocess.Popen(
            ["trayer", "--edge", "top", "--align", "right", "--widthtype", "pixel", "--width", "200",
             "--height", "32", "--transparent", "false", "--tint", "0x404040", "--SetDockType", "true"],
            env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        time.sleep(0.5)

    def xdotool(self, *args, check=True):
        r = subprocess.run(["xdotool", *map(str, args)], env=self.env, capture_output=True, text=True)
        if check and r.returncode != 0:
            raise RuntimeError("xdotool %s: %s" % (args, r.stderr))
        return r.stdout.strip()

    def windows(self, pid=None):
        """Visible windows, of one process or all."""
        args = ["search", "--onlyvisible"]
        args += ["--pid", pid] if pid is not None else ["--name", ""]
        out = self.xdotool(*args, check=False)
        return [w for w in out.split() if w]

    def title(self, window):
        # Titles keep their trailing spaces ("To jiro ").
        r = subprocess.run(["xdotool", "getwindowname", str(window)], env=self.env,
                           capture_output=True, text=True)
        return r.stdout.rstrip("\n")

    def wait_window(self, pid=None, title=None, timeout=10, exclude=()):
        """A visible window of pid whose title matches the regular
        expression title (matched here: xdotool's own matching does not
        know multibyte text)."""
        deadline = time.time() + timeout
        while time.time() < deadline:
            for w in self.windows(pid=pid):
                if w in exclude:
                    continue
                if title is None or re.search(title, self.title(w)):
                    _, _, width, height = self.geometry(w)
                    if width > 64 or height > 64:  # not a tray icon
                        return w
            time.sleep(0.1)
        raise AssertionError("no window %r for pid %s" % (title, pid))

    def geometry(self, window):
        out = self.xdotool("getwindowgeometry", "--shell", window)
        values = dict(line.split("=") for line in out.splitlines())
        return int(values["X"]), int(values["Y"]), int(values["WIDTH"]), int(values["HEIGHT"])

    def click(self, window, x, y, button=1):
        self.xdotool("mousemove", "--window", window, x, y)
        time.sleep(0.1)
        self.xdotool("click", button)

    def type_text(self, text):
        """Types text. Characters the keymap lacks get keys of their own
        first: xdotool's own trick (remap a spare key for each character and
        take it back at once) races the program reading the keymap."""
        spare = getattr(self, "_spare", {})
        for ch in text:
            if ord(ch) > 0x7E and ch not in spare:
                code = 200 + len(spare)
                subprocess.run(["xmodmap", "-e", "keycode %d = U%04X" % (code, ord(ch))], env=self.env,
                               check=True)
                spare[ch] = code
        self._spare = spare
        time.sleep(0.2)
        self.xdotool("type", "--delay", "40", text)

    def focus(self, window, timeout=5):
        # A window just found may not be viewable yet.
        deadline = time.time() + timeout
        while True:
            r = subprocess.run(["xdotool", "windowfocus", "--sync", str(window)], env=self.env,
                               capture_output=True, text=True)
            if r.returncode == 0:
                return
            if time.time() > deadline:
                raise RuntimeError("cannot focus %s: %s" % (window, r.stderr))
            time.sleep(0.1)

    def screenshot(self, name):
        os.makedirs(ARTIFACTS, exist_ok=True)
        path = os.path.join(ARTIFACTS, name + ".png")
        subprocess.run(["import", "-display", self.name, "-window", "root", path],
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return path

    def window_shot(self, window, name):
        """A picture of one window, raised above the others first."""
        self.xdotool("windowraise", window, check=False)
        time.sleep(0.3)
        os.makedirs(ARTIFACTS, exist_ok=True)
        path = os.path.join(ARTIFACTS, name + ".png")
        subprocess.run(["import", "-display", self.name, "-window", str(window), path],
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return path

    def close(self):
        for p in (self.trayer, getattr(self, "wm", None), self.xvfb):
            if p is None:
                continue
            p.terminate()
            try:
                p.wait(5)
            except subprocess.TimeoutExpired:
                p.kill()


class Host:
    """A machine on network 198.18.k.0/24 for each k of nets (bridge brk)."""

    def __init__(self, lab, n, nets=(0,)):
        self.lab = lab
        self.ns = "%sn%d" % (lab.id, n)
        self.address = "198.18.%d.%d" % (nets[0], n)
        self.addresses = ["198.18.%d.%d" % (k, n) for k in nets]
        run("ip", "netns", "add", self.ns)
        run("ip", "-n", self.ns, "link", "set", "lo", "up")
        for k in nets:
            lab.bridge(k)
            hub_end = "p%d_%d" % (k, n)
            run("ip", "-n", lab.hub, "link", "add", hub_end, "type", "veth", "peer", "name",
                "eth%d" % k, "netns", self.ns)
            run("ip", "-n", lab.hub, "link", "set", hub_end, "master", "br%d" % k, "up")
            run("ip", "-n", self.ns, "addr", "add", "198.18.%d.%d/24" % (k, n), "brd", "+",
                "dev", "eth%d" % k)
            run("ip", "-n", self.ns, "link", "set", "eth%d" % k, "up")
        nets = list(nets)
        # The limited broadcast goes out on the first bridge, never anywhere else.
        run("ip", "-n", self.ns, "route", "add", "default", "dev", "eth%d" % nets[0])


class Peer:
    """The scripted peer, in its own host."""

    def __init__(self, host, bind=True):
        self.host = host
        self.proc = subprocess.Popen(["ip", "netns", "exec", host.ns, "python3", os.path.join(HERE, "peer.py")],
                                     stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
        if bind:
            self.call(op="bind")

    def call(self, **cmd):
        self.proc.stdin.write(json.dumps(cmd) + "\n")
        self.proc.stdin.flush()
        return json.loads(self.proc.stdout.readline())

    def send(self, to, data):
        self.call(op="send", to=to, data=data.hex())

    def recv(self, timeout=5):
        r = self.call(op="recv", timeout=timeout)
        if r.get("timeout"):
            raise AssertionError("no datagram within %ss" % timeout)
        return r["src"], bytes.fromhex(r["data"])

    def drain(self, timeout=1.0):
        return [(d["src"], bytes.fromhex(d["data"])) for d in self.call(op="drain", timeout=timeout)["datagrams"]]

    def burst(self, to, data, count, quiet=3):
        return self.call(op="burst", to=to, data=data.hex(), count=count, quiet=quiet)["replies"]

    def close(self):
        if self.proc.poll() is None:
            try:
                self.call(op="quit")
            except (BrokenPipeError, ValueError):
                pass
            self.proc.wait(5)


class Copy:
    """One real portana, from a folder of its own (its settings file lives
    beside the executable)."""

    def __init__(self, lab, host, settings=None, folder=None, env=None):
        self.lab = lab
        self.host = host
        self.folder = folder or tempfile.mkdtemp(prefix="portana-e2e-")
        exe = os.path.join(self.folder, "portana")
        if not os.path.exists(exe):
            try:
                os.link(lab.portana, exe)
            except OSError:
                shutil.copy2(lab.portana, exe)
        if settings is not None:
            with open(os.path.join(self.folder, "optGFile.dat"), "wb") as f:
                f.write(settings)
        runtime = os.path.join(self.folder, "run")
        os.makedirs(runtime, mode=0o700, exist_ok=True)
        extra_env = env
        env = dict(lab.display.env, QT_QPA_PLATFORM="xcb", XDG_RUNTIME_DIR=runtime, HOME=self.folder,
                   LANG="C.UTF-8", LC_ALL="C.UTF-8", QT_ACCESSIBILITY="0", NO_AT_BRIDGE="1")
        env.pop("DBUS_SESSION_BUS_ADDRESS", None)
        env.update(extra_env or {})
        self.logpath = os.path.join(self.folder, "portana-%d.log" % len(lab.copies))
        self.logfile = open(self.logpath, "w")
        self.proc = subprocess.Popen(["ip", "netns", "exec", host.ns, exe], env=env,
                                     stdout=self.logfile, stderr=subprocess.STDOUT)
        self.pid = self.proc.pid
        lab.copies.append(self)

    def log(self):
        with open(self.logpath, encoding="utf-8", errors="replace") as f:
            return f.read()

    def wait_log(self, text, timeout=10):
        deadline = time.time() + timeout
        while time.time() < deadline:
            if text in self.log():
                return
            if self.proc.poll() is not None and text not in self.log():
                break
            time.sleep(0.1)
        raise AssertionError("%r not in log:\n%s" % (text, self.log()))

    def tray_window(self, timeout=10):
        """The copy's icon in the tray host: its only small window."""
        deadline = time.time() + timeout
        while time.time() < deadline:
            for w in self.lab.display.windows(pid=self.pid):
                _, _, width, height = self.lab.display.geometry(w)
                if width <= 64 and height <= 64:
                    return w
            time.sleep(0.1)
        raise AssertionError("no tray icon for pid %d:\n%s" % (self.pid, self.log()))

    def open_options(self):
        """The options dialog, from the tray menu (ｵﾌﾟｼｮﾝ(&O), 動作環境の設定(&O))."""
        display = self.lab.display
        display.click(self.tray_window(), 10, 10, button=3)
        time.sleep(0.5)
        display.xdotool("key", "o")
        time.sleep(0.3)
        display.xdotool("key", "o")
        return display.wait_window(pid=self.pid, title="^ｵﾌﾟｼｮﾝ指定$")

    def wait_exit(self, timeout=10):
        return self.proc.wait(timeout)

    def stop(self):
        if self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(10)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()
        self.logfile.close()


class Lab:
    counter = 0

    def __init__(self, portana, tray=True, wm=False):
        Lab.counter += 1
        self.id = "pt%d%d" % (os.getpid() % 100000, Lab.counter)
        self.portana = portana
        self.hub = self.id + "h"
        self.hosts, self.copies, self.peers = [], [], []
        self.bridges = set()
        run("ip", "netns", "add", self.hub)
        self.bridge(0)
        self.display = Display(tray, wm)

    def bridge(self, k):
        if k not in self.bridges:
            run("ip", "-n", self.hub, "link", "add", "br%d" % k, "type", "bridge")
            run("ip", "-n", self.hub, "link", "set", "br%d" % k, "up")
            self.bridges.add(k)

    def host(self, n, nets=(0,)):
        h = Host(self, n, nets)
        self.hosts.append(h)
        return h

    def peer(self, host, bind=True):
        p = Peer(host, bind)
        self.peers.append(p)
        return p

    def copy(self, host, settings=None, folder=None, env=None):
        return Copy(self, host, settings, folder, env)

    def close(self):
        for c in self.copies:
            c.stop()
        for p in self.peers:
            try:
                p.close()
            except Exception:
                p.proc.kill()
        self.display.close()
        for h in self.hosts:
            run("ip", "netns", "del", h.ns, check=False)
        run("ip", "netns", "del", self.hub, check=False)
        for c in self.copies:
            shutil.rmtree(c.folder, ignore_errors=True)


def portana_path():
    return os.environ.get("PORTANA", os.path.join(os.getcwd(), "portana"))
