"""Three copies in three namespaces and a scripted peer: one copy opens its
send window from its real tray icon, finds the others, and sends."""
import os
import re
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from harness import HEADER, LIST_TOP, ROW, Lab, enc, pad, portana_path, require_lab, settings_file  # noqa: E402,E501

TITLE = "送信ﾒｯｾｰｼﾞ"


class Send(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        require_lab()
        cls.lab = Lab(portana_path())
        cls.display = cls.lab.display
        names = {2: "ichiro", 3: "jiro", 4: "saburo"}
        cls.hosts = {n: cls.lab.host(n) for n in names}
        cls.copies = {n: cls.lab.copy(cls.hosts[n], settings_file(optName=name))
                      for n, name in names.items()}
        cls.peer = cls.lab.peer(cls.lab.host(9))
        # Two more scripted peers, for a message to several.
        cls.others = {name: cls.lab.peer(cls.lab.host(n)) for n, name in ((7, "xpeer"), (8, "ypeer"))}
        for c in cls.copies.values():
            c.tray_window()

    @classmethod
    def tearDownClass(cls):
        cls.lab.close()

    def answer_search(self, sender, peer=None, name="zpeer"):
        """A scripted peer answers the search as a copy named name would."""
        peer = peer or self.peer
        src, data = peer.recv()
        self.assertEqual((src, data), (sender, enc("GROUP検索")))
        # The same search again through the card's own broadcast address.
        for extra in peer.drain(0.3):
            self.assertEqual(extra, (sender, enc("GROUP検索")))
        reply = (enc("GROUP  検索結果") + name.encode() + b"\0" * (20 - len(name))
                 + pad(peer.host.address).encode() + b" " * 20 + pad(name).encode() + enc("－"))
        peer.send(sender, reply)

    def open_send_window(self, copy):
        self.display.click(copy.tray_window(), 10, 10)
        window = self.display.wait_window(pid=copy.pid, title="^" + TITLE + "$")
        return window

    def choose_row(self, window, row):
        """Sort by name (a click on the header), then click the row."""
        self.display.click(window, 20, LIST_TOP + HEADER // 2)  # "ﾕｰｻﾞｰ名"
        time.sleep(0.3)
        self.display.click(window, 20, LIST_TOP + HEADER + ROW * row + ROW // 2)
        time.sleep(0.3)

    def click_ok(self, window):
        # The result windows have their OK button at the bottom centre.
        _, _, width, height = self.display.geometry(window)
        self.display.click(window, width // 2, height - 22)
        deadline = time.time() + 5
        while window in self.display.windows() and time.time() < deadline:
            time.sleep(0.1)
        self.assertNotIn(window, self.display.windows(), "OK closes the result window")

    def type_message(self, lines):
        for i, line in enumerate(lines):
            if i:
                self.display.xdotool("key", "Return")
            self.display.type_text(line)
        time.sleep(0.3)

    def test_send_through_the_tray(self):
        sender = self.copies[2]
        a = self.hosts[2].address
        self.peer.drain(0.2)
        window = self.open_send_window(sender)
        self.answer_search(a)
        time.sleep(1.0)  # the other copies' replies
        self.display.screenshot("send-window-listed")

        # Rows sorted by name: ichiro, jiro, saburo, zpeer. Send to jiro.
        self.choose_row(window, 1)
        self.type_message(["こんにちは", "また明日"])
        self.display.screenshot("send-window-typed")
        self.display.xdotool("key", "alt+s")
        result = self.display.wait_window(pid=sender.pid, title="^To jiro $")
        self.display.screenshot("send-result-to-jiro")
        self.assertNotIn(window, self.display.windows(pid=sender.pid), "the send window hides")
        self.click_ok(result)

        # Again, to the scripted peer, which checks the bytes and acknowledges.
        window = self.open_send_window(sender)
        self.answer_search(a)
        time.sleep(1.0)
        self.choose_row(window, 3)
        self.display.screenshot("send-window-chose-peer")
        self.type_message(["二行の", "メッセージ"])
        self.display.screenshot("send-window-typed-to-peer")
        self.display.xdotool("key", "alt+s")
        src, data = self.peer.recv()
        self.assertEqual(src, a)
        text = data.decode("cp932")
        self.assertEqual(text[:20], pad("ichiro"))
        self.assertRegex(text[20:28], r"^\d\d:\d\d:\d\d$")
        self.assertEqual(text[28:36], pad("2", 8))
        self.assertEqual(text[36:], "二行の\r\nメッセージ")
        self.assertEqual(data[36:], enc("二行の\r\nメッセージ"))
        self.peer.send(a, enc("送信         ") + pad("zpeer").encode())
        self.display.wait_window(pid=sender.pid, title="^To zpeer $")
        self.display.screenshot("send-result-to-zpeer")

        # To the three scripted peers at once: a click, then Ctrl with a click,
        # in a window made taller to show them all.
        window = self.open_send_window(sender)
        self.answer_search(a)
        for name, peer in self.others.items():
            self.answer_search(a, peer, name)
        time.sleep(1.0)
        _, _, width, height = self.display.geometry(window)
        self.display.xdotool("windowsize", window, width, height + 120)
        time.sleep(0.3)
        self.choose_row(window, 3)  # ichiro, jiro, saburo, xpeer, ypeer, zpeer
        for row in (4, 5):
            self.display.xdotool("keydown", "ctrl")
            self.display.click(window, 20, LIST_TOP + HEADER + ROW * row + ROW // 2)
            self.display.xdotool("keyup", "ctrl")
        time.sleep(0.3)
        self.type_message(["会議は 15 時からに変更です"])
        self.display.screenshot("send-window-several")
        self.display.xdotool("key", "alt+s")
        # Each its own datagram, with its own history row as the reference.
        peers = [self.others["xpeer"], self.others["ypeer"], self.peer]
        for ref, peer in enumerate(peers, start=3):
            src, data = peer.recv()
            self.assertEqual(src, a)
            self.assertEqual(data[:20], pad("ichiro").encode())
            self.assertEqual(data[28:], pad(str(ref), 8).encode() + enc("会議は 15 時からに変更です"))
        self.others["xpeer"].send(a, enc("送信         ") + pad("xpeer").encode())
        self.others["ypeer"].send(a, enc("送信         ") + pad("ypeer").encode())
        self.peer.send(a, enc("OTHER送信"))
        result = self.display.wait_window(pid=sender.pid, title="^送信結果（送信済 2、拒否 1）$")
        self.display.window_shot(result, "send-results-several")


if __name__ == "__main__":
    unittest.main(verbosity=2)
