"""The receiving side through real windows: a message travels from one copy
to another, is opened behind the password, answered, held and discarded, and
every answer reaches the sender. A scripted peer checks the answers' bytes,
and a copy without a tray host shows its arrivals all the same."""
import json
import os
import re
import signal
import sqlite3
import subprocess
import sys
import tempfile
import threading
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
ATSPI_READ = os.path.join(os.path.dirname(os.path.abspath(__file__)), "atspi_read.py")

from harness import (HEADER, LIST_TOP, ROW, Lab, enc, pad, portana_path, require_lab, run,  # noqa: E402
                     settings_file)

# The received-message window's controls, in pixels at 96 dpi (15 twips a
# pixel), measured from its client area's top-left corner.
OPEN = (324, 49)
HOLD = (324, 79)
CLOSE = (324, 108)
QUOTE = (346, 136)
TIME = r"\d\d:\d\d:\d\d"


def message(name, ref, body, time_text="09:08:07"):
    return enc(pad(name) + time_text + pad(ref, 8) + body)


class Receive(unittest.TestCase):
    def setUp(self):
        require_lab()

    def tearDown(self):
        self.lab.close()

    def start(self, tray=True):
        self.lab = Lab(portana_path(), tray=tray)
        self.display = self.lab.display

    def session_bus(self):
        """A private session bus, as a desktop has; its address."""
        import shutil
        tmp = tempfile.mkdtemp(prefix="portana-bus-")
        self.addCleanup(shutil.rmtree, tmp, ignore_errors=True)
        bus = "unix:path=" + os.path.join(tmp, "bus")
        # The daemon prints its address once it listens: nothing asks it before.
        daemon = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--address=" + bus,
                                   "--print-address=1"],
                                  stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        self.addCleanup(lambda: (daemon.terminate(), daemon.wait(5), daemon.stdout.close()))
        self.assertTrue(daemon.stdout.readline().startswith("unix:"), "the bus listens")
        return bus

    def read_aloud(self, copy, bus, limit=20):
        """What a screen reader gets of copy's windows, through AT-SPI."""
        # The bridge registers a moment after the copy asks for it.
        for _ in range(20):
            out = subprocess.run(["/usr/bin/python3", ATSPI_READ, str(copy.pid), str(limit)],
                                 capture_output=True, text=True, timeout=60,
                                 env=dict(os.environ, DBUS_SESSION_BUS_ADDRESS=bus))
            if out.returncode == 0:
                return [json.loads(line) for line in out.stdout.splitlines()]
            time.sleep(0.5)
        self.fail(out.stderr + copy.log())

    def open_messages(self, copy, title):
        """Left click on the tray icon while messages wait."""
        self.display.click(copy.tray_window(), 10, 10)
        return self.display.wait_window(pid=copy.pid, title=title)

    def press(self, window, where):
        self.display.click(window, *where)
        time.sleep(0.4)

    def ok(self, window):
        """OK, at the bottom centre of a result window."""
        _, _, width, height = self.display.geometry(window)
        self.press(window, (width // 2, height - 22))
        self.assertTrue(self.gone(window), "OK closes the result window")

    def gone(self, window, timeout=5):
        deadline = time.time() + timeout
        while window in self.display.windows() and time.time() < deadline:
            time.sleep(0.1)
        return window not in self.display.windows()

    def test_exchange_between_two_copies(self):
        self.start()
        ha, hb = self.lab.host(2), self.lab.host(3)
        a = self.lab.copy(ha, settings_file(optName="ichiro"))
        # jiro's copy under a screen reader.
        bus = self.session_bus()
        b = self.lab.copy(hb, settings_file(optName="jiro", pwCheck=1, pwStored="himitsu"),
                          env={"DBUS_SESSION_BUS_ADDRESS": bus, "QT_ACCESSIBILITY": "1",
                               "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1"})
        peer = self.lab.peer(self.lab.host(9))
        a.tray_window()
        b.tray_window()
        self.display.screenshot("receive-tray-before")

        # Behind the password, 引用 on an unopened message quotes nothing:
        # the reply carries none of the body.
        peer.send(hb.address, message("zpeer", "5", "SECRET-ONE"))
        peer.recv()
        recv = self.open_messages(b, r"^ From zpeer  TIME: 09:08:07$")
        self.press(recv, QUOTE)
        box = self.display.wait_window(pid=b.pid, title="^ぽるとな～$")
        self.display.window_shot(box, "box-quote-closed")
        self.display.focus(box)
        self.display.xdotool("key", "Return")
        self.assertTrue(self.gone(box))
        self.display.focus(recv)
        self.display.type_text("いいえ")
        self.display.xdotool("key", "alt+s")
        src, data = peer.recv()
        self.assertEqual((src, data[:20], data[36:]), (hb.address, pad("jiro").encode(),
                                                       enc("いいえ")))

        # ichiro sends through its send window (its list: ichiro, jiro).
        self.display.click(a.tray_window(), 10, 10)
        window = self.display.wait_window(pid=a.pid, title="^送信ﾒｯｾｰｼﾞ$")
        time.sleep(1.0)
        self.display.click(window, 20, LIST_TOP + HEADER // 2)  # sort by name
        time.sleep(0.3)
        self.display.click(window, 20, LIST_TOP + HEADER + ROW + ROW // 2)  # jiro
        time.sleep(0.3)
        # A screenshot pasted into the box goes with it, as a PNG.
        picture = os.path.join(a.folder, "shot.png")
        run("convert", "-size", "400x400", "xc:", "+noise", "Random", picture)  # ~0.5 MB as PNG
        clip = subprocess.Popen(["xclip", "-selection", "clipboard", "-t", "image/png", "-i", picture],
                                env=self.display.env)
        clip.wait(10)
        time.sleep(0.3)
        self.display.xdotool("key", "ctrl+v")
        self.display.type_text("こんにちは")
        time.sleep(0.5)
        self.display.window_shot(window, "window-FrmSnd-attached")
        self.display.xdotool("key", "alt+s")
        self.ok(self.display.wait_window(pid=a.pid, title="^To jiro $"))
        time.sleep(0.5)
        self.display.screenshot("receive-tray-arrival")

        # jiro opens it: the password first, then OPEN again shows the body.
        recv = self.open_messages(b, r"^ From ichiro  TIME: " + TIME + "$")
        self.display.window_shot(recv, "window-FrmRecv-closed")
        self.press(recv, OPEN)
        pw = self.display.wait_window(pid=b.pid, title="^ﾊﾟｽﾜｰﾄﾞ入力$")
        self.display.window_shot(pw, "window-FrmPw")
        self.display.focus(pw)
        self.display.type_text("himitsu")
        self.display.xdotool("key", "Return")
        self.assertTrue(self.gone(pw), "the right password closes the window")
        self.press(recv, OPEN)
        opened = self.display.wait_window(pid=a.pid, title="^From jiro +$")
        self.display.window_shot(recv, "window-FrmRecv-open")
        self.display.window_shot(opened, "window-FrmRcvOK-opened")
        self.ok(opened)
        # What came with it is read aloud: the list and its buttons.
        objects = [o for o in self.read_aloud(b, bus) if o["showing"]]
        files = [o["name"] for o in objects if o["role"] == "list item"]
        self.assertEqual(len(files), 1, objects)
        self.assertRegex(files[0], r"^貼り付け \d{4}-\d\d-\d\d \d\d\.\d\d\.\d\d\.png  \(\d+\.\d KB\)$")
        for role, name in (("list", "添付ファイル"), ("push button", "保存"), ("push button", "名前を付けて保存")):
            self.assertIn((role, name), [(o["role"], o["name"]) for o in objects])

        # jiro replies: ichiro gets a message, jiro the delivery result. The
        # picture offered with it is saved first (保存, into the download folder).
        self.display.focus(recv)
        self.display.type_text("ありがとう")
        # The connection cut while it comes (ichiro's link slowed, its socket
        # killed): told, the part kept; 保存 again takes up from there.
        run("ip", "netns", "exec", ha.ns, "tc", "qdisc", "add", "dev", "eth0", "root", "tbf",
            "rate", "2mbit", "burst", "16kb", "latency", "400ms")
        self.display.xdotool("key", "alt+v")
        downloads = os.path.join(b.folder, "Downloads", "portana")
        pasted = os.path.join(a.folder, ".local", "state", "portana", "pasted")
        time.sleep(1.0)
        run("ip", "netns", "exec", ha.ns, "ss", "-K", "sport", "=", ":50319")
        box = self.display.wait_window(pid=b.pid, title="^ぽるとな～$")
        self.display.window_shot(box, "box-files-cut")
        parts = [n for n in os.listdir(downloads) if n.endswith(".part")]
        self.assertEqual(len(parts), 1, os.listdir(downloads))
        self.assertGreater(os.path.getsize(os.path.join(downloads, parts[0])), 0)
        self.display.focus(box)
        self.display.xdotool("key", "Return")
        self.assertTrue(self.gone(box))
        run("ip", "netns", "exec", ha.ns, "tc", "qdisc", "del", "dev", "eth0", "root")
        self.display.focus(recv)
        self.display.xdotool("key", "alt+v")
        names = os.listdir(pasted)
        deadline = time.time() + 15
        while sorted(os.listdir(downloads)) != names and time.time() < deadline:
            time.sleep(0.2)
        time.sleep(0.5)
        self.display.window_shot(recv, "window-FrmRecv-files")
        self.assertEqual(len(names), 1)
        self.assertRegex(names[0], r"^貼り付け \d{4}-\d\d-\d\d \d\d\.\d\d\.\d\d\.png$")
        self.assertEqual(os.listdir(downloads), names)
        with open(os.path.join(pasted, names[0]), "rb") as f, open(os.path.join(downloads, names[0]), "rb") as g:
            sent_png = f.read()
            self.assertEqual(g.read(), sent_png)
        self.assertEqual(sent_png[:8], b"\x89PNG\r\n\x1a\n")
        self.display.xdotool("key", "alt+s")
        self.ok(self.display.wait_window(pid=b.pid, title="^To ichiro $"))
        self.assertTrue(self.gone(recv), "the last reply closes the window")

        # ichiro holds the reply: jiro is told.
        back = self.open_messages(a, r"^ From jiro  TIME: " + TIME + "$")
        self.press(back, HOLD)
        held = self.display.wait_window(pid=b.pid, title="^From ichiro +$")
        self.display.window_shot(held, "window-FrmRcvOK-held")

        self.ok(held)

        # A new arrival raises the alert again; 閉じる then tells jiro, whose
        # reply is the entry on display, that it was discarded.
        peer.drain(0.3)
        peer.send(ha.address, message("zpeer", "77", "テスト"))
        self.assertEqual(peer.recv(), (ha.address, enc("送信         ") + pad("ichiro").encode()))
        window = self.open_messages(a, r"^ From jiro  TIME: " + TIME + "$")
        self.press(window, CLOSE)
        discarded = self.display.wait_window(pid=b.pid, title="^From ichiro +$")
        self.display.window_shot(discarded, "window-FrmRcvOK-discarded")
        self.assertEqual(peer.drain(0.5), [], "the notice goes to the entry on display only")

        # The scripted peer's messages to ichiro, answered byte for byte.
        def arrive(ref):
            peer.send(ha.address, message("zpeer", ref, "テスト" + ref))
            peer.recv()
            return self.open_messages(a, r"^ From zpeer  TIME: 09:08:07$")

        window = arrive("78")
        self.press(window, OPEN)
        self.assertEqual(peer.recv(), (ha.address, enc("Open確認     ") + pad("ichiro").encode()
                                       + b"78      "))
        self.press(window, HOLD)
        self.assertEqual(peer.drain(0.5), [], "opening reset the alert: no hold notice")
        window = arrive("79")
        self.press(window, HOLD)
        self.assertEqual(peer.recv(), (ha.address, enc("保留         ") + pad("ichiro").encode()))
        window = arrive("80")
        self.press(window, CLOSE)
        self.assertEqual(peer.recv(), (ha.address, enc("破棄         ") + pad("ichiro").encode()
                                       + b"78      "))
        self.assertTrue(self.gone(window))

        # Three acknowledged messages, then ichiro is killed: started again,
        # they wait again, and the history keeps them.
        ack = (ha.address, enc("送信         ") + pad("ichiro").encode())
        for ref in ("81", "82", "83"):
            peer.send(ha.address, message("zpeer", ref, "キープ" + ref))
            self.assertEqual(peer.recv(), ack)
        a.proc.kill()
        a.wait_exit()
        a = self.lab.copy(ha, folder=a.folder)
        window = self.open_messages(a, r"^ From zpeer  TIME: 09:08:07$")
        self.press(window, OPEN)
        self.assertEqual(peer.recv(), (ha.address, enc("Open確認     ") + pad("ichiro").encode()
                                       + b"81      "))

        # One host floods ichiro; another host's message is still acknowledged.
        flooder = self.lab.peer(self.lab.host(8))
        flood = threading.Thread(target=flooder.burst,
                                 args=(ha.address, message("flood", "1", "x" * 60000), 400, 2))
        flood.start()
        time.sleep(0.3)
        peer.send(ha.address, message("zpeer", "84", "割り込み"))
        self.assertEqual(peer.recv(), ack)
        flood.join()

        # saburo keeps his store on a 1 MiB disk: 36 messages of 60 KB from
        # two hosts and a small one from a third. What was acknowledged is in
        # the file, what was refused is not, and no row is empty.
        hs = self.lab.host(7)
        folder = tempfile.mkdtemp(prefix="portana-e2e-")
        state = os.path.join(folder, ".local", "state")
        os.makedirs(state)
        run("mount", "-t", "tmpfs", "-o", "size=1m", "tmpfs", state)
        self.addCleanup(run, "umount", "-l", state)
        s = self.lab.copy(hs, folder=folder)
        s.tray_window()
        senders = [(self.lab.peer(self.lab.host(n)), n) for n in (10, 11)]
        bodies = {}
        for sender, n in senders:
            for i in range(18):
                body = "満杯%d-%02d" % (n, i) + "x" * 60000
                bodies.setdefault(sender.host.address, []).append(body)
                sender.send(hs.address, message("big", str(i), body))
        peer.send(hs.address, message("zpeer", "85", "小さいの"))
        bodies.setdefault(peer.host.address, []).append("小さいの")
        kept, refused = set(), set()
        for sender in [p for p, _ in senders] + [peer]:
            answers = [d for _, d in sender.drain(3)]
            sent = bodies[sender.host.address]
            self.assertEqual(len(answers), len(sent))
            for body, answer in zip(sent, answers):
                if answer == enc("OTHER送信"):
                    refused.add(body)
                else:
                    self.assertEqual(answer, enc("送信         ") + pad("root").encode())
                    kept.add(body)
        self.assertTrue(refused, "a 1 MiB disk cannot keep 2 MB")
        s.proc.send_signal(signal.SIGTERM)
        self.assertEqual(s.wait_exit(10), 0)
        db = sqlite3.connect("file:%s/portana/portana.db?mode=ro" % state, uri=True)
        stored = [m for (m,) in db.execute("SELECT message FROM history")]
        waiting = [b for (b,) in db.execute("SELECT body FROM inbox")]
        db.close()
        self.assertEqual(set(stored), kept)
        self.assertEqual(len(stored), len(kept))
        self.assertTrue(set(waiting) <= kept)

        # ichiro's history, through the tray menu and the real file dialog:
        # the message to jiro carries the time jiro opened it.
        self.display.click(a.tray_window(), 10, 10, button=3)
        time.sleep(0.5)
        self.display.xdotool("key", "l")
        log = self.display.wait_window(pid=a.pid, title="^送受信履歴$")
        self.display.window_shot(log, "window-FrmLog")
        self.display.focus(log)
        text = self.save_history(a, log, "history.txt", shot="window-save-dialog")
        self.assertTrue(text.startswith('"FileName:dataFile",#'), text[:60])
        self.assertRegex(text, r'\r\n"\d\d/\d\d/\d\d","ichiro ","jiro[^"]*","' + TIME + '","'
                         + TIME + '","こんにちは"\r\n')
        # The peer's messages: opened, and closed unread ("*").
        self.assertRegex(text, '"zpeer ","ichiro ","' + TIME + '","' + TIME + '","テスト78"')
        self.assertRegex(text, '"zpeer ","ichiro ","' + TIME + '","' + TIME + r'\*","テスト80"')
        # Kept across the kill: the one opened, the two still waiting.
        self.assertRegex(text, '"zpeer ","ichiro ","' + TIME + '","' + TIME + '","キープ81"')
        self.assertRegex(text, '"zpeer ","","' + TIME + '","","キープ83"\r\n')

        # A history file read in (読込), then searched: Ctrl+F, a word typed,
        # and 保存 writes just the rows found, with the count.
        rows = ['"26/11/%02d","%s","%s","09:%02d:00","","%s"' % (day, who, to, day, text)
                for day, who, to, text in [(1, "鈴木 ", "山田", "明日の会議室は 3 階です"),
                                           (2, "佐藤 ", "taro", "ﾗﾝﾁは 12 時"),
                                           (3, "高橋 ", "鈴木", "会議の資料を送ります")]]
        archive = os.path.join(a.folder, "archive.txt")
        with open(archive, "wb") as f:
            f.write(('"FileName:dataFile",#2026-11-30#,#18:00:00#,""\r\n'
                     + "\r\n".join(rows) + "\r\n").encode("cp932"))
        self.display.focus(log)
        self.display.xdotool("key", "alt+f")
        time.sleep(0.4)
        self.display.xdotool("key", "r")
        dialog = self.display.wait_window(pid=a.pid, title="^開く$")
        self.display.focus(dialog)
        self.display.type_text(archive)
        self.display.xdotool("key", "Return")
        time.sleep(1.5)
        self.display.focus(log)
        self.display.xdotool("key", "ctrl+f")
        self.display.type_text("会議")
        time.sleep(1.5)
        self.display.window_shot(log, "window-FrmLog-search")
        text = self.save_history(a, log, "found.txt")
        self.assertRegex(text, r'^"FileName:dataFile",#[-\d]+#,#[:\d]+#,"検索結果： 2 件"\r\n')
        self.assertEqual(text.split("\r\n", 1)[1], rows[0] + "\r\n" + rows[2] + "\r\n")

    def save_history(self, copy, log, name, shot=None):
        """保存(&W) from the history window's menu, through the real file
        dialog, and the box that says it was saved; gives the file's text."""
        self.display.xdotool("key", "alt+f")
        time.sleep(0.4)
        self.display.xdotool("key", "w")
        # Qt's own file chooser speaks Japanese too.
        dialog = self.display.wait_window(pid=copy.pid, title="^名前を付けて保存$")
        if shot:
            self.display.window_shot(dialog, shot)
        self.display.focus(dialog)
        path = os.path.join(copy.folder, name)
        self.display.type_text(path)
        self.display.xdotool("key", "Return")
        done = self.display.wait_window(pid=copy.pid, title="^送受信履歴$", exclude=[log])
        self.display.focus(done)
        self.display.xdotool("key", "Return")
        with open(path, "rb") as f:
            return f.read().decode("cp932")

    def test_without_a_tray(self):
        self.start(tray=False)
        h = self.lab.host(2)
        c = self.lab.copy(h, settings_file(optName="solo"))
        peer = self.lab.peer(self.lab.host(9))
        c.wait_log("", 1)
        time.sleep(1.5)
        peer.send(h.address, message("zpeer", "5", "届きましたか"))
        self.assertEqual(peer.recv()[1], enc("送信         ") + pad("solo").encode())
        button = self.display.wait_window(pid=c.pid, title="^受信$")
        self.display.window_shot(button, "window-FrmMsgOpen")
        _, _, width, height = self.display.geometry(button)
        self.press(button, (width // 2, height // 2))
        recv = self.display.wait_window(pid=c.pid, title=r"^ From zpeer  TIME: 09:08:07$")
        self.assertTrue(self.gone(button), "the button window closes")
        self.press(recv, OPEN)
        peer.recv()  # the open confirmation
        self.display.focus(recv)
        self.display.type_text("はい")
        self.display.xdotool("key", "alt+s")
        src, data = peer.recv()
        self.assertEqual(data[:20], pad("solo").encode())
        self.assertEqual(data[36:], enc("はい"))
        # The send window is still there to come back by.
        self.assertTrue(self.gone(recv))
        titles = [self.display.title(w) for w in self.display.xdotool(
            "search", "--pid", c.pid, "--name", "", check=False).split()]
        self.assertIn("送信ﾒｯｾｰｼﾞ", titles)
        self.display.screenshot("no-tray-after-reply")

        # Again with the keyboard alone, no click. (No window manager here:
        # bringing a window up is xdotool's, as Alt+Tab would.)
        def bring_up(window):
            self.display.xdotool("windowmap", "--sync", window)
            self.display.xdotool("windowfocus", "--sync", window)
            time.sleep(0.3)
        send = self.display.wait_window(pid=c.pid, title="^送信ﾒｯｾｰｼﾞ$")
        bring_up(send)
        peer.drain(0.2)
        self.display.xdotool("key", "F5")  # 再検索
        self.assertEqual(peer.recv()[1], enc("GROUP検索"))
        peer.drain(0.3)
        peer.send(h.address, enc("GROUP  検索結果") + b"zlogin" + b"\0" * 14 + pad(peer.host.address).encode()
                  + b" " * 20 + pad("zpeer").encode() + enc("－"))
        time.sleep(0.8)
        # Tab as the eye reads: the recipient, the groups, the list; down to
        # zpeer (below this copy's own row), Enter, then the message.
        self.display.xdotool("key", "Tab", "Tab", "Down", "Return")
        time.sleep(0.3)
        self.display.xdotool("key", "ctrl+a")  # over the last reply, which the box keeps
        self.display.type_text("鍵だけで")
        self.display.window_shot(send, "window-FrmSnd-keyboard")
        self.display.xdotool("key", "alt+s")
        src, data = peer.recv()
        self.assertEqual((src, data[:20], data[36:]), (h.address, pad("solo").encode(), enc("鍵だけで")))
        peer.send(h.address, enc("送信         ") + pad("zpeer").encode())
        # The answer: Enter on the button window, Alt+O opens it, the reply
        # box has the focus, Alt+S answers and closes it.
        peer.send(h.address, message("zpeer", "6", "了解"))
        self.assertEqual(peer.recv()[1], enc("送信         ") + pad("solo").encode())
        button = self.display.wait_window(pid=c.pid, title="^受信$")
        bring_up(button)
        self.display.xdotool("key", "Return")
        recv = self.display.wait_window(pid=c.pid, title=r"^ From zpeer  TIME: 09:08:07$")
        bring_up(recv)
        self.display.xdotool("key", "alt+o")
        self.assertTrue(peer.recv()[1].startswith(enc("Open確認     ")))
        self.display.type_text("了解です")
        self.display.xdotool("key", "alt+s")
        src, data = peer.recv()
        self.assertEqual(data[36:], enc("了解です"))
        self.assertTrue(self.gone(recv), "the answered message's window goes")

    def test_desktop_notification_without_a_tray(self):
        """A session bus and a notification server that records what it is
        asked to show and then activates it."""
        import shutil
        import subprocess
        import tempfile
        notifyd = os.environ.get("NOTIFYD")
        if not notifyd or not shutil.which("dbus-daemon"):
            self.skipTest("needs dbus-daemon and the notifyd helper")
        self.start(tray=False)
        bus = self.session_bus()
        tmp = tempfile.mkdtemp(prefix="portana-notify-")
        record = os.path.join(tmp, "shown.txt")
        server = subprocess.Popen([notifyd, record], stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True,
                                  env=dict(os.environ, DBUS_SESSION_BUS_ADDRESS=bus,
                                           NOTIFYD_ACTIVATE="1"))
        try:
            self.assertEqual(server.stdout.readline().strip(), "ready")
            h = self.lab.host(2)
            # Away while the screen is locked, with the note the user chose.
            folder = tempfile.mkdtemp(prefix="portana-e2e-")
            with open(os.path.join(folder, "portana.ini"), "w", encoding="utf-8") as f:
                f.write("[away]\nonLock=true\ntext=離席中（内線 123）\n")
            # With its accessibility bridge on, as under a screen reader.
            c = self.lab.copy(h, settings_file(optName="solo"), folder=folder,
                              env={"DBUS_SESSION_BUS_ADDRESS": bus, "QT_ACCESSIBILITY": "1",
                                   "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1"})
            peer = self.lab.peer(self.lab.host(9))
            time.sleep(1.5)
            peer.send(h.address, message("<b>Z</b> x", "5", "届いた"))
            peer.recv()
            # Activating the notification shows the messages.
            recv = self.display.wait_window(pid=c.pid, title=r"^ From <b>Z</b>  TIME: 09:08:07$")
            self.display.window_shot(recv, "window-FrmRecv-from-notification")
            with open(record, encoding="utf-8") as f:
                shown = f.read().splitlines()
            self.assertEqual(shown, ["ぽるとな～\tぽるとな～\t&lt;b&gt;Z&lt;/b&gt; からメッセージが届きました"])

            # Another program, through the bus: the copy offers its interface,
            # and tells that the message waits (never what it says).
            def client(*args, **kw):
                return subprocess.run(["ip", "netns", "exec", h.ns, "env", "DBUS_SESSION_BUS_ADDRESS=" + bus,
                                       c.lab.portana] + list(args), capture_output=True, text=True,
                                      timeout=30, **kw)
            shape = subprocess.run(["gdbus", "introspect", "--session", "--dest", "jp.portana.Portana",
                                    "--object-path", "/jp/portana/Portana"], capture_output=True, text=True,
                                   env=dict(os.environ, DBUS_SESSION_BUS_ADDRESS=bus), timeout=10).stdout
            self.assertIn("interface jp.portana.Portana1 {", shape)
            for member in ("Send(in  s peer,\n", "in  s text,\n", "out s result);", "Peers(out a(sss) peers);",
                           "SendFiles(in  s peer,\n", "in  as paths,\n",
                           "Search();", "Check(in  s address,\n", "out s outcome,\n", "out s sentence);",
                           "MessageArrived(s sender,\n", "PeersChanged();",
                           "readonly i WaitingCount = 1;", "readonly b Away = false;"):
                self.assertIn(member, shape)
            # A shell tells the peer in one line and learns from the status that it arrived.
            sender = subprocess.Popen(["ip", "netns", "exec", h.ns, "env", "DBUS_SESSION_BUS_ADDRESS=" + bus,
                                       c.lab.portana, "--send", "198.18.0.9", "ビルド完了"])
            src, data = peer.recv(10)
            self.assertEqual(src, h.address)
            self.assertEqual(data[:20], pad("solo").encode())
            self.assertRegex(data[20:28].decode(), r"^\d\d:\d\d:\d\d$")
            self.assertEqual(data[28:], pad("2", 8).encode() + enc("ビルド完了"))
            peer.send(h.address, enc("送信         ") + pad("zpeer").encode())
            self.assertEqual(sender.wait(15), 0)
            # A search from the command line; the peer that answers is listed.
            self.assertEqual(client("--search").returncode, 0)
            self.assertEqual(peer.recv()[1], enc("GROUP検索"))
            peer.drain(0.3)
            reply = (enc("GROUP  検索結果") + b"zlogin" + b"\0" * 14 + pad("198.18.0.9").encode()
                     + b" " * 20 + pad("zpeer").encode() + enc("○"))
            peer.send(h.address, reply)
            time.sleep(0.5)
            listed = client("--peers")
            self.assertEqual(listed.returncode, 0)
            # The copy lists itself too, under the login it runs as.
            self.assertRegex(listed.stdout, r"^solo\t[^\t\n]+\t198\.18\.0\.2\nzpeer\tzlogin\t198\.18\.0\.9\n$")
            # A refusal, and a peer nobody knows.
            refused = subprocess.Popen(["ip", "netns", "exec", h.ns, "env", "DBUS_SESSION_BUS_ADDRESS=" + bus,
                                        c.lab.portana, "--send", "zpeer", "-"], stdin=subprocess.PIPE, text=True)
            refused.stdin.write("二度目\n")
            refused.stdin.close()
            self.assertEqual(peer.recv(10)[1][28:], pad("3", 8).encode() + enc("二度目"))
            peer.send(h.address, enc("OTHER送信"))
            self.assertEqual(refused.wait(15), 1)
            self.assertEqual(client("--send", "nobody", "x").returncode, 5)
            # One host, never a whole network; nothing leaves.
            for everyone in ("255.255.255.255", "198.18.0.255", "239.255.0.1"):
                refused = client("--send", everyone, "全員へ")
                self.assertEqual(refused.returncode, 2, everyone)
                self.assertIn("一人の相手のIPｱﾄﾞﾚｽではありません", refused.stderr)
            messages = lambda wait: [d for _, d in peer.drain(wait) if d != enc("GROUP検索")]
            self.assertEqual(messages(0.5), [])
            # Only the documented interface: no property of the library's own.
            def bus_call(*args):
                return subprocess.run(["gdbus", "call", "--session", "--dest", "jp.portana.Portana",
                                       "--object-path", "/jp/portana/Portana", "--method"] + list(args),
                                      capture_output=True, text=True, timeout=10,
                                      env=dict(os.environ, DBUS_SESSION_BUS_ADDRESS=bus))
            props = bus_call("org.freedesktop.DBus.Properties.GetAll", "jp.portana.Portana1")
            self.assertEqual(props.stdout, "({'Away': <false>, 'WaitingCount': <1>},)\n")
            for args in (("Get", "jp.portana.Portana1", "objectName"),
                         ("Set", "jp.portana.Portana1", "objectName", "<'x'>")):
                self.assertNotEqual(bus_call("org.freedesktop.DBus.Properties." + args[0], *args[1:]).returncode, 0)
            # The screen locks: peers see the note the copy leaves, and it
            # goes with the unlock, or with a screensaver that ends.
            def screensaver(command):
                server.stdin.write(command + "\n")
                server.stdin.flush()
                self.assertEqual(server.stdout.readline().strip(), "ok")
                time.sleep(0.5)

            def seen():
                peer.drain(0.2)
                peer.send(h.address, enc("GROUP検索"))
                mark = peer.recv()[1][-2:]
                if mark != enc("○"):
                    return mark.decode("cp932")
                peer.send(h.address, enc("LETTER GET "))
                data = peer.recv()[1]
                self.assertEqual(data[:35], enc("LETTER 置き手紙") + pad("solo").encode())
                return "○ " + data[35:].decode("cp932")
            for command, expected in (("lock", "○ 離席中（内線 123）"), ("unlock", "－"),
                                      ("lock", "○ 離席中（内線 123）"), ("vanish", "－")):
                screensaver(command)
                self.assertEqual(seen(), expected, command)

            # 接続確認 from the command line: one sentence, and the status.
            run("ip", "-n", h.ns, "route", "add", "unreachable", "198.19.200.0/24")
            run("ip", "-n", h.ns, "route", "add", "prohibit", "198.19.201.0/24")
            peer.drain(0.2)
            checking = subprocess.Popen(["ip", "netns", "exec", h.ns, "env", "DBUS_SESSION_BUS_ADDRESS=" + bus,
                                         c.lab.portana, "--check", "198.18.0.9"],
                                        stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
            self.assertEqual(peer.recv(10)[1], enc("GROUP検索"))
            peer.send(h.address, reply)
            out, err = checking.communicate(timeout=15)
            self.assertEqual((checking.returncode, out, err),
                             (0, "198.18.0.9 の zpeer は応答し、一覧に載っています。\n", ""))
            silent = client("--check", "198.18.0.77")
            self.assertEqual((silent.returncode, silent.stdout, silent.stderr),
                             (4, "", "198.18.0.77 からは応答がありません（ぽるとな～が起動していないか、"
                                     "途中のﾌｧｲｱｳｫｰﾙが UDP 50319 を通していません）。\n"))
            for address, why in (("198.19.200.1", "経路がありません"),
                                 ("198.19.201.1", "システムが送信を拒みました")):
                refused = client("--check", address)
                self.assertEqual((refused.returncode, refused.stderr),
                                 (7, "%s にはこのコンピューターから届きません（%s）。\n" % (address, why)))

            # Files go with a message between copies of this program: a file
            # and a folder, saved as they arrive where the receiver asked for
            # that; a peer that does not take files still gets the text.
            drop = tempfile.mkdtemp(prefix="portana-files-")
            report = os.path.join(drop, "報告.bin")
            with open(report, "wb") as f:
                f.write(bytes(range(256)) * 4096 + b"end")
            drawings = os.path.join(drop, "図面")
            os.makedirs(os.path.join(drawings, "詳細"))
            with open(os.path.join(drawings, "詳細", "a.txt"), "wb") as f:
                f.write("一枚目\n".encode())
            open(os.path.join(drawings, "b.txt"), "wb").close()
            saved = tempfile.mkdtemp(prefix="portana-saved-")
            # A small disk, so that a larger offer finds it full.
            run("mount", "-t", "tmpfs", "-o", "size=2m", "tmpfs", saved)
            self.addCleanup(run, "umount", "-l", saved, check=False)
            open(os.path.join(saved, "報告.bin"), "wb").close()  # there before: never overwritten
            dfolder = tempfile.mkdtemp(prefix="portana-e2e-")
            with open(os.path.join(dfolder, "portana.ini"), "w", encoding="utf-8") as f:
                f.write("[files]\nautoSave=true\nfolder=%s\nmaxSize=5\n" % saved)
            d = self.lab.copy(self.lab.host(3), settings_file(optName="shiro"), folder=dfolder)
            time.sleep(1.5)
            sent = client("--send", "198.18.0.3", "図面です", "--attach", report, drawings)
            self.assertEqual((sent.returncode, sent.stderr), (0, ""), d.log())

            def tree(top):
                found = {}
                for root, _, names in os.walk(top):
                    for name in names:
                        with open(os.path.join(root, name), "rb") as f:
                            found[os.path.relpath(os.path.join(root, name), top)] = f.read()
                return found
            expected = {"報告.bin": b"", "報告 (2).bin": bytes(range(256)) * 4096 + b"end",
                        "図面/b.txt": b"", "図面/詳細/a.txt": "一枚目\n".encode()}
            deadline = time.time() + 15
            while tree(saved) != expected and time.time() < deadline:
                time.sleep(0.2)
            self.assertEqual(tree(saved), expected, d.log())
            # Too large for what is free: the receiver is told, and keeps what it had.
            large = os.path.join(drop, "大きい.bin")
            with open(large, "wb") as f:
                f.write(b"L" * (3 << 20))
            self.assertEqual(client("--send", "198.18.0.3", "大きい", "--attach", large).returncode, 0)
            box = self.display.wait_window(pid=d.pid, title="^ぽるとな～$")
            self.display.window_shot(box, "box-files-disk-full")
            self.assertEqual(tree(saved), expected)
            # A thousand connections, garbage, a frame that claims 4 GB: each
            # closed, nothing written, and the copy still answers datagrams.
            hostile = subprocess.Popen(["ip", "netns", "exec", peer.host.ns, sys.executable, "-c", """
import socket, struct, time
conns = []
for i in range(1000):
    s = socket.socket()
    s.settimeout(1)
    try:
        s.connect(("198.18.0.3", 50319))
    except OSError:
        pass
    conns.append(s)
for s, data in zip(conns, [b"GET / HTTP/1.0\\r\\n\\r\\n", struct.pack(">IB", 0xFFFFFFFF, 2),
                           struct.pack(">IB", 20, 1) + b"PORTANA-FILES/1"]):
    try:
        s.sendall(data)
    except OSError:
        pass
print("open", flush=True)
time.sleep(3)
"""], stdout=subprocess.PIPE, text=True)
            self.assertEqual(hostile.stdout.readline().strip(), "open")
            peer.drain(0.2)
            peer.send("198.18.0.3", enc("GROUP検索"))
            self.assertEqual(peer.recv(5)[1][:15], enc("GROUP  検索結果"))
            hostile.wait(10)
            hostile.stdout.close()
            self.assertEqual(tree(saved), expected)
            peer.drain(0.3)
            old = subprocess.Popen(["ip", "netns", "exec", h.ns, "env", "DBUS_SESSION_BUS_ADDRESS=" + bus,
                                    c.lab.portana, "--send", "zpeer", "添付つき", "--attach", report],
                                   stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
            self.assertEqual(peer.recv(10)[1][28:], pad("6", 8).encode() + enc("添付つき"))
            peer.send(h.address, enc("送信         ") + pad("zpeer").encode())
            out, err = old.communicate(timeout=20)
            self.assertEqual((old.returncode, out, err),
                             (8, "", "portana: 本文は届きましたが、相手はﾌｧｲﾙを受け取れません\n"))
            d.stop()

            # A copy that hangs: the client gives up with its own status, and
            # the message it gave up on is never sent, even once the copy goes on.
            os.kill(c.pid, signal.SIGSTOP)
            try:
                hung = client("--send", "zpeer", "止まっている間")
            finally:
                os.kill(c.pid, signal.SIGCONT)
            self.assertEqual((hung.returncode, hung.stderr), (6, "portana: 起動中のぽるとな～が応答しません\n"))
            self.assertEqual(messages(1.5), [])
            # A program listening on the bus hears of an arrival and of the
            # count that changed with it, never of what it says.
            monitor = subprocess.Popen(["gdbus", "monitor", "--session", "--dest", "jp.portana.Portana"],
                                       stdout=subprocess.PIPE, text=True,
                                       env=dict(os.environ, DBUS_SESSION_BUS_ADDRESS=bus))
            time.sleep(1.0)
            peer.drain(0.3)
            peer.send(h.address, message("zpeer", "6", "三通目の本文"))
            self.assertTrue(peer.recv()[1].startswith(enc("送信         ")))
            time.sleep(1.0)
            monitor.terminate()
            heard = monitor.communicate(timeout=5)[0]
            self.assertIn("jp.portana.Portana1.MessageArrived ('zpeer', '198.18.0.9')", heard)
            self.assertIn("PropertiesChanged ('jp.portana.Portana1', {'WaitingCount': <2>}", heard)
            # The launcher shows the count, where there is no tray.
            self.assertIn("com.canonical.Unity.LauncherEntry.Update ('application://jp.portana.Portana.desktop', "
                          "{'count': <int64 2>, 'count-visible': <true>})", heard)
            self.assertNotIn("三通目", heard)

            # What a screen reader reads, through AT-SPI: every control that
            # shows has a name; a peer's row is its name and whether a note
            # waits.
            def read():
                return self.read_aloud(c, bus)
            named = {"push button", "check box", "radio button", "text", "combo box", "tree", "table",
                     "tree table", "image", "page tab", "spin button"}
            objects = read()
            self.assertEqual([o for o in objects if o["showing"] and o["role"] in named and not o["name"].strip()],
                             [])
            peers = [o for o in objects if o["name"] == "ユーザー一覧"][0]["table"]
            self.assertIn(["zpeer、置き手紙あり", "置き手紙あり", "198.18.0.9", "zlogin"], peers["rows"])
            # The keyboard alone brings up the history from the send window
            # (F10, the tray's menu, L), and a search's rows are read.
            # (No window manager here: the keys that bring up a window are
            # xdotool's.)
            send = self.display.wait_window(pid=c.pid, title="^送信ﾒｯｾｰｼﾞ$")
            self.display.xdotool("windowmap", "--sync", send)
            self.display.xdotool("windowfocus", "--sync", send)
            self.display.xdotool("key", "F10")
            time.sleep(0.5)
            self.display.xdotool("key", "l")
            log = self.display.wait_window(pid=c.pid, title="^送受信履歴$")
            self.display.xdotool("windowfocus", "--sync", log)
            self.display.xdotool("key", "ctrl+f")
            self.display.type_text("ビルド")
            time.sleep(1.5)
            history = [o for o in read() if o["window"] == "送受信履歴" and o["role"] == "table"]
            self.assertEqual([o["name"] for o in history], ["送受信履歴"], "the history list is one table")
            self.assertEqual(history[0]["table"]["count"], 1)
            self.assertEqual(history[0]["table"]["rows"][0][5], "ビルド完了")
            self.display.window_shot(log, "window-FrmLog-read-aloud")

            # The messages discarded (Esc): the count leaves the launcher.
            monitor = subprocess.Popen(["gdbus", "monitor", "--session", "--dest", "jp.portana.Portana"],
                                       stdout=subprocess.PIPE, text=True,
                                       env=dict(os.environ, DBUS_SESSION_BUS_ADDRESS=bus))
            time.sleep(1.0)
            recv = self.display.wait_window(pid=c.pid, title=r"^ From ")
            for _ in range(2):  # the window goes with the last
                self.display.xdotool("windowmap", "--sync", recv, check=False)
                self.display.xdotool("windowfocus", "--sync", recv, check=False)
                self.display.xdotool("key", "Escape")
                time.sleep(0.7)
            monitor.terminate()
            heard = monitor.communicate(timeout=5)[0]
            self.assertIn("com.canonical.Unity.LauncherEntry.Update ('application://jp.portana.Portana.desktop', "
                          "{'count': <int64 0>, 'count-visible': <false>})", heard)
        finally:
            server.terminate()
            server.wait(5)
            server.stdout.close()
            shutil.rmtree(tmp, ignore_errors=True)


if __name__ == "__main__":
    unittest.main(verbosity=2)
