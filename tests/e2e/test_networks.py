"""A copy on two networks finds a peer on each: the limited broadcast leaves
through one card only, so the search also goes to each card's own
broadcast address. A peer behind a router is found through a range typed on
the options dialog, and a change of the network searches again by itself."""
import os
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from harness import (HEADER, LIST_TOP, ROW, Lab, enc, pad, portana_path, require_lab, run,  # noqa: E402
                     settings_file)


class Networks(unittest.TestCase):
    def setUp(self):
        require_lab()
        self.lab = Lab(portana_path())
        self.display = self.lab.display

    def tearDown(self):
        self.lab.close()

    def send_to_row(self, window, row, text):
        """Chooses row of the send window's list and sends it text."""
        self.display.click(window, 20, LIST_TOP + HEADER + ROW * row + ROW // 2)
        time.sleep(0.3)
        self.display.type_text(text)
        self.display.xdotool("key", "alt+s")

    def test_search_on_every_network(self):
        ha = self.lab.host(2, nets=(0, 1))
        # 198.18.2.0/24 lies behind a router on the second network.
        router = self.lab.host(254, nets=(1, 2))
        run("ip", "netns", "exec", router.ns, "sysctl", "-q", "-w", "net.ipv4.ip_forward=1")
        far_host = self.lab.host(9, nets=(2,))
        run("ip", "-n", far_host.ns, "route", "replace", "default", "via", "198.18.2.254")
        run("ip", "-n", ha.ns, "route", "add", "198.18.2.0/24", "via", "198.18.1.254")
        far = self.lab.peer(far_host)
        a = self.lab.copy(ha, settings_file(optName="ichiro"))
        b = self.lab.copy(self.lab.host(3), settings_file(optName="jiro"))
        peer = self.lab.peer(self.lab.host(4, nets=(1,)))
        a.tray_window()
        b.tray_window()

        self.display.click(a.tray_window(), 10, 10)
        window = self.display.wait_window(pid=a.pid, title="^送信ﾒｯｾｰｼﾞ$")
        src, data = peer.recv()
        self.assertEqual((src, data), ("198.18.1.2", enc("GROUP検索")))
        peer.send(src, enc("GROUP  検索結果") + b"peer" + b"\0" * 16 + pad("198.18.1.4").encode()
                  + b" " * 20 + pad("zpeer").encode() + enc("－"))
        time.sleep(1.0)
        self.assertEqual(peer.drain(0.3), [], "one search request reaches the second network")
        self.display.window_shot(window, "window-FrmSnd-two-networks")

        # Rows by name: ichiro (once, though it hears itself on both), jiro, zpeer.
        self.display.click(window, 20, LIST_TOP + HEADER // 2)
        time.sleep(0.3)
        self.send_to_row(window, 2, "hello")
        src, data = peer.recv()
        self.assertEqual(src, "198.18.1.2")
        self.assertEqual(data[:20], pad("ichiro").encode())
        self.assertEqual(data[36:], b"hello")

        # The peer on the first network is there too.
        self.display.click(a.tray_window(), 10, 10)
        window = self.display.wait_window(pid=a.pid, title="^送信ﾒｯｾｰｼﾞ$")
        peer.recv()
        time.sleep(1.0)
        self.send_to_row(window, 1, "hi")
        self.display.wait_window(pid=a.pid, title="^To jiro $")

        # The range behind the router, typed on the options dialog's
        # ﾈｯﾄﾜｰｸ page and applied with 更新(&A).
        options = a.open_options()
        _, _, width, height = self.display.geometry(options)
        self.display.click(options, width - 85, 14)  # ﾈｯﾄﾜｰｸ, before ﾌｧｲﾙ
        time.sleep(0.3)
        self.display.click(options, width // 2, height * 45 // 100)
        self.display.type_text("198.18.2.0/24")
        self.display.window_shot(options, "window-FrmOpt-network")
        self.display.xdotool("key", "alt+a")
        time.sleep(0.5)
        with open(os.path.join(a.folder, "portana.ini")) as f:
            self.assertEqual(f.read(), "[search]\ntargets=198.18.2.0/24\n")

        # The peer behind the router and the one on the second network answer
        # the window's search.
        self.display.click(a.tray_window(), 10, 10)
        window = self.display.wait_window(pid=a.pid, title="^送信ﾒｯｾｰｼﾞ$")
        self.answer_search(far, "kfar", "198.18.2.9")
        self.answer_search(peer, "zpeer", "198.18.1.4")
        time.sleep(1.0)
        # Rows by name: ichiro, jiro, kfar, zpeer; the last two chosen, a text typed.
        self.display.click(window, 20, LIST_TOP + HEADER + ROW * 2 + ROW // 2)
        time.sleep(0.3)
        self.display.xdotool("keydown", "ctrl")
        self.display.click(window, 20, LIST_TOP + HEADER + ROW * 3 + ROW // 2)
        self.display.xdotool("keyup", "ctrl")
        time.sleep(0.3)
        self.display.type_text("far")

        # A DHCP client renewing its lease changes nothing a search sees: no search.
        run("ip", "-n", ha.ns, "addr", "change", "198.18.1.2/24", "dev", "eth1",
            "valid_lft", "3600", "preferred_lft", "3600")
        run("ip", "-n", ha.ns, "link", "set", "eth1", "up")  # a repeated link message
        self.assertEqual(far.drain(2.5) + peer.drain(0.1), [], "a renewal searches nothing")

        # A new address on a card: the copy searches again by itself, a
        # second after the change settles, the range too. The list and the
        # choice stay while the answers come in.
        run("ip", "-n", ha.ns, "addr", "add", "198.18.1.102/24", "dev", "eth1")
        self.answer_search(far, "kfar", "198.18.2.9", timeout=5)
        time.sleep(1.0)
        self.display.window_shot(window, "window-FrmSnd-after-network-change")
        self.display.xdotool("key", "alt+s")
        for who in (far, peer):
            got = [d for _, d in who.drain(1.5) if d != enc("GROUP検索")]
            self.assertEqual(len(got), 1, "the message reaches each chosen peer once")
            self.assertEqual(got[0][36:], b"far")

    def answer_search(self, peer, login, address, timeout=2):
        """Waits for a search request at the scripted peer and answers it."""
        src, data = peer.recv(timeout=timeout)
        self.assertEqual((src, data), ("198.18.1.2", enc("GROUP検索")))
        peer.send(src, enc("GROUP  検索結果") + login.encode() + b"\0" * (20 - len(login))
                  + pad(address).encode() + b" " * 20 + pad(login).encode() + enc("－"))


if __name__ == "__main__":
    unittest.main(verbosity=2)
