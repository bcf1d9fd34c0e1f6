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
        self.display.click(options, width - 40, 14)  # the last tab
        time.sleep(0.3)
        self.display.click(options, width // 2, height * 45 // 100)
        self.display.type_text("198.18.2.0/24")
        self.display.window_shot(options, "window-FrmOpt-network")
        self.display.xdotool("key", "alt+a")
        time.sleep(0.5)
        with open(os.path.join(a.folder, "portana.ini")) as f:
            self.assertEqual(f.read(), "[search]\ntargets=198.18.2.0/24\n")

        # A new address on a card: the copy searches again by itself, a
        # second after the change settles, the range too.
        far.drain(0.5)
        run("ip", "-n", ha.ns, "addr", "add", "198.18.1.102/24", "dev", "eth1")
        self.assertEqual(far.recv(timeout=5), ("198.18.1.2", enc("GROUP検索")))

        # The peer behind the router answers and is listed: chosen there, it
        # gets the message.
        self.display.click(a.tray_window(), 10, 10)
        window = self.display.wait_window(pid=a.pid, title="^送信ﾒｯｾｰｼﾞ$")
        src, data = far.recv(timeout=2)
        far.send(src, enc("GROUP  検索結果") + b"far" + b"\0" * 17 + pad("198.18.2.9").encode()
                 + b" " * 20 + pad("kfar").encode() + enc("－"))
        time.sleep(1.0)
        # Rows by name: ichiro, jiro, kfar.
        self.send_to_row(window, 2, "far")
        src, data = far.recv()
        self.assertEqual(src, "198.18.1.2")
        self.assertEqual(data[36:], b"far")

if __name__ == "__main__":
    unittest.main(verbosity=2)
