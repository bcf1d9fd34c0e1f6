"""The away note between two copies through their real windows, and a window
shrunk through the window manager to its smallest size."""
import os
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from harness import HEADER, LIST_TOP, ROW, Lab, enc, pad, portana_path, require_lab, settings_file  # noqa: E402,E501

# Client-area positions in pixels at 96 dpi (15 twips a pixel).
LETTER_OK = (258, 73)      # FrmLetter's OK
CMD_LETTER = (361, 90)     # FrmSnd's 置き手紙参照


class Options(unittest.TestCase):
    def setUp(self):
        require_lab()
        self.lab = Lab(portana_path(), wm=True)
        self.display = self.lab.display

    def tearDown(self):
        self.lab.close()

    def test_away_note_and_smallest_window(self):
        ha, hb = self.lab.host(2), self.lab.host(3)
        a = self.lab.copy(ha, settings_file(optName="ichiro"))
        b = self.lab.copy(hb, settings_file(optName="jiro"))
        peer = self.lab.peer(self.lab.host(9))

        # ichiro leaves a note through the tray menu.
        self.display.click(a.tray_window(), 10, 10, button=3)
        time.sleep(0.5)
        self.display.xdotool("key", "w")
        letter = self.display.wait_window(pid=a.pid, title="^置き手紙作成$")
        self.display.focus(letter)
        self.display.type_text("15時に戻ります")
        self.display.window_shot(letter, "window-FrmLetter")
        self.display.click(letter, *LETTER_OK)
        time.sleep(0.5)
        self.assertNotIn(letter, self.display.windows(pid=a.pid), "OK hides the note window")

        # The peer sees the mark in ichiro's search reply.
        peer.drain(0.2)
        peer.send(ha.address, enc("GROUP検索"))
        src, data = peer.recv()
        self.assertEqual(data[-2:], enc("○"))

        # jiro finds ichiro, fetches the note with 置き手紙参照, and shows it.
        b.tray_window()
        self.display.click(b.tray_window(), 10, 10)
        send = self.display.wait_window(pid=b.pid, title="^送信ﾒｯｾｰｼﾞ$")
        time.sleep(1.0)
        self.display.click(send, 20, LIST_TOP + HEADER // 2)  # sort by name: ichiro first
        time.sleep(0.3)
        self.display.click(send, 20, LIST_TOP + HEADER + ROW // 2)
        time.sleep(0.3)
        self.display.click(send, *CMD_LETTER)
        time.sleep(0.5)
        self.display.click(send, *CMD_LETTER)
        time.sleep(0.5)
        self.display.window_shot(send, "window-FrmSnd-note")

        # Two fetches (and the peer's) gave the note each time.
        peer.drain(0.3)
        peer.send(ha.address, enc("LETTER GET "))
        src, data = peer.recv()
        self.assertEqual(data, enc("LETTER 置き手紙") + pad("ichiro").encode() + enc("15時に戻ります"))

        # The options dialog from ichiro's tray menu.
        options = a.open_options()
        self.display.window_shot(options, "window-FrmOpt")
        _, _, width, _ = self.display.geometry(options)
        self.display.click(options, width - 92, 14)  # その他
        time.sleep(0.3)
        self.display.window_shot(options, "window-FrmOpt-other")

        # The smallest the window manager allows keeps every control inside.
        self.display.xdotool("windowsize", send, 40, 40)
        time.sleep(0.8)
        _, _, width, height = self.display.geometry(send)
        self.assertGreaterEqual((width, height), (405, 192))
        self.display.window_shot(send, "window-FrmSnd-smallest")


if __name__ == "__main__":
    unittest.main(verbosity=2)
