"""The program starts, lives hidden in the tray and answers every kind of
datagram, as a peer on the wire sees it."""
import os
import signal
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from harness import Lab, enc, pad, portana_path, require_lab, run, settings_file  # noqa: E402

SEARCH = enc("GROUP検索")


class Foundation(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        require_lab()
        cls.lab = Lab(portana_path())
        cls.a = cls.lab.host(2)
        cls.b = cls.lab.host(3)
        cls.p = cls.lab.host(9)
        cls.copy_a = cls.lab.copy(cls.a)
        cls.copy_b = cls.lab.copy(cls.b, settings_file(otherReject=1, optName="山田 花子"))
        cls.peer = cls.lab.peer(cls.p)
        cls.copy_a.tray_window()
        cls.copy_b.tray_window()

    @classmethod
    def tearDownClass(cls):
        cls.lab.close()

    def setUp(self):
        self.peer.drain(0.2)

    def test_search_reply_bytes(self):
        self.peer.send(self.a.address, SEARCH)
        src, data = self.peer.recv()
        self.assertEqual(src, self.a.address)
        expected = (enc("GROUP  検索結果") + b"root" + b"\0" * 16 + pad(self.a.address).encode()
                    + b" " * 20 + b" " * 20 + enc("－"))
        self.assertEqual(data, expected)

        # With a display name, the name goes out exactly as configured.
        self.peer.send(self.b.address, SEARCH)
        _, data = self.peer.recv()
        text = data.decode("cp932")
        self.assertEqual(len(text), 92)
        self.assertEqual(text[71:], pad("山田 花子") + "－")

    def test_acknowledgement_bytes(self):
        message = enc(pad("鈴木 ") + "10:00:00" + pad("1", 8) + "こんにちは\r\n元気？")
        self.peer.send(self.a.address, message)
        src, data = self.peer.recv()
        self.assertEqual(src, self.a.address)
        self.assertEqual(data, enc("送信         ") + pad("root").encode())
        self.assertEqual(self.peer.drain(0.5), [])

    def test_partner_filter_refuses(self):
        message = enc(pad("鈴木 ") + "10:00:00" + pad("2", 8) + "hello")
        self.peer.send(self.b.address, message)
        src, data = self.peer.recv()
        self.assertEqual((src, data), (self.b.address, enc("OTHER送信")))
        self.assertEqual(self.peer.drain(0.5), [], "exactly one datagram comes back")

    def test_away_note_reply(self):
        self.peer.send(self.a.address, enc("LETTER GET "))
        _, data = self.peer.recv()
        self.assertEqual(data, enc("LETTER 置き手紙") + b" " * 20)
        self.peer.send(self.b.address, enc("LETTER GET "))
        _, data = self.peer.recv()
        self.assertEqual(data, enc("LETTER 置き手紙" + pad("山田 花子")))

    def test_unknown_kinds_are_messages(self):
        # "OTHER送信" with anything after it is a message and is acknowledged.
        self.peer.send(self.a.address, enc("OTHER送信!"))
        _, data = self.peer.recv()
        self.assertTrue(data.startswith(enc("送信         ")))
        # Bytes that are not code page 932 do not stop the copy.
        self.peer.send(self.a.address, b"\xff\xfe\x80\x82")
        _, data = self.peer.recv()
        self.assertTrue(data.startswith(enc("送信         ")))

    def test_burst_of_search_requests_is_answered(self):
        replies = self.peer.burst(self.a.address, SEARCH, 3000)
        udp = run("ip", "netns", "exec", self.a.ns, "cat", "/proc/net/snmp").stdout
        self.assertEqual(replies, 3000, "the copy's UDP counters:\n" + udp)

    def test_second_copy_is_refused(self):
        second = self.lab.copy(self.a, folder=self.copy_a.folder)
        second.wait_log("message box [ぽるとな～] 「ぽるとな～」 は、既に起動しています")
        box = self.lab.display.wait_window(pid=second.pid)
        self.lab.display.screenshot("second-copy-refused")
        self.lab.display.focus(box)
        self.lab.display.xdotool("key", "Return")
        self.assertEqual(second.wait_exit(10), 1)
        # The first copy keeps running and answering.
        self.peer.send(self.a.address, SEARCH)
        self.assertEqual(self.peer.recv()[0], self.a.address)

    def test_port_conflict(self):
        host = self.lab.host(5)
        holder = self.lab.peer(host)  # another program holds 50319
        copy = self.lab.copy(host)
        copy.wait_log("message box [きりかぽ～] 「ぽるとな～」は、既に起動しています。|(PortNo Error!)")
        box = self.lab.display.wait_window(pid=copy.pid)
        self.lab.display.screenshot("port-conflict")
        _, _, width, height = self.lab.display.geometry(box)
        self.assertGreater(width, 64, "the box, not a tray icon")
        self.lab.display.focus(box)
        self.lab.display.xdotool("key", "Return")
        self.assertEqual(copy.wait_exit(10), 2)
        holder.close()

    def test_zz_terminate_removes_icon_and_ends(self):
        host = self.lab.host(6)
        copy = self.lab.copy(host)
        icon = copy.tray_window()
        self.lab.display.click(icon, 10, 10)  # the send window open, too
        self.lab.display.wait_window(pid=copy.pid, title="^送信ﾒｯｾｰｼﾞ$")
        copy.proc.send_signal(signal.SIGTERM)
        self.assertEqual(copy.wait_exit(10), 0)
        self.assertNotIn(icon, self.lab.display.windows())

        # A logout while the box about a damaged store is up ends it too.
        folder = tempfile.mkdtemp(prefix="portana-e2e-")
        os.makedirs(os.path.join(folder, ".local", "state", "portana"))
        with open(os.path.join(folder, ".local", "state", "portana", "portana.db"), "wb") as f:
            f.write(b"not a database at all")
        copy = self.lab.copy(host, folder=folder)
        copy.wait_log("は壊れています。")
        box = self.lab.display.wait_window(pid=copy.pid)
        self.lab.display.window_shot(box, "box-store-damaged")
        copy.proc.send_signal(signal.SIGTERM)
        self.assertEqual(copy.wait_exit(10), 0)


if __name__ == "__main__":
    unittest.main(verbosity=2)
