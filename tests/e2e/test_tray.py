"""The program through its real tray icon: left click opens the send window
(and its search goes out), right click opens the menu, and the menu's items
open their windows and end the program. Screenshots of the tray and of each
window are kept as artefacts."""
import os
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from harness import Lab, enc, portana_path, require_lab, settings_file  # noqa: E402


class Tray(unittest.TestCase):
    def setUp(self):
        require_lab()
        self.lab = Lab(portana_path())
        self.display = self.lab.display
        self.host = self.lab.host(2)
        self.peer = self.lab.peer(self.lab.host(9))
        self.copy = self.lab.copy(self.host, settings_file(optName="山田", iconNo="3"))
        self.icon = self.copy.tray_window()

    def tearDown(self):
        self.lab.close()

    def menu(self, *keys):
        """Right click on the icon, then walk the menu by its mnemonics."""
        self.display.click(self.icon, 10, 10, button=3)
        time.sleep(0.5)
        self.display.screenshot("tray-menu")
        for key in keys:
            self.display.xdotool("key", key)
            time.sleep(0.3)

    def test_tray_icon_and_menu(self):
        self.display.screenshot("tray-icon")

        # Left click: the send window, and its search on the wire.
        self.display.click(self.icon, 10, 10)
        window = self.display.wait_window(pid=self.copy.pid, title="^送信ﾒｯｾｰｼﾞ$")
        src, data = self.peer.recv()
        self.assertEqual((src, data), (self.host.address, enc("GROUP検索")))
        time.sleep(0.5)
        self.display.window_shot(window, "window-FrmSnd")

        # The send window's picture: its own menu, with the address window.
        _, _, width, _ = self.display.geometry(window)
        self.display.click(window, width - 59 + 16, 4 + 16, button=3)  # Image1
        time.sleep(0.4)
        self.display.xdotool("key", "i")
        shot = self.display.wait_window(pid=self.copy.pid, title="^IPｱﾄﾞﾚｽ指定$")
        self.display.window_shot(shot, "window-FrmIPset")

        # Right click: the menu; its items open their windows.
        self.menu("o", "i")
        shot = self.display.wait_window(pid=self.copy.pid, title="^ｱｲｺﾝ変更$")
        self.display.window_shot(shot, "window-FrmOption")
        self.menu("a")
        shot = self.display.wait_window(pid=self.copy.pid, title="^ﾊﾞｰｼﾞｮﾝ情報$")
        time.sleep(1.0)  # one tick of its picture
        self.display.window_shot(shot, "window-FrmVersion")

        # The result windows, as a peer's answers bring them up.
        a = self.host.address
        self.peer.send(a, enc("Open確認     " + "鈴木 一郎" + " " * 15 + "1       "))
        shot = self.display.wait_window(pid=self.copy.pid, title="^From 鈴木 一郎 +$")
        self.display.window_shot(shot, "window-FrmRcvOK")
        self.peer.send(a, enc("送信         " + "鈴木 一郎" + " " * 15))
        shot = self.display.wait_window(pid=self.copy.pid, title="^To 鈴木 $")
        self.display.window_shot(shot, "window-FrmSndOK")
        small = self.lab.copy(self.lab.host(3), settings_file(sndConfirmMin=1))
        small.tray_window()
        self.peer.send(self.lab.hosts[-1].address, enc("送信         " + "鈴木"))
        shot = self.display.wait_window(pid=small.pid, title="^Form1$")
        self.display.window_shot(shot, "window-FrmSROK")

        # 終了: nothing waits, so it ends at once and takes its icon along.
        # Every window open, the send window among them (it refuses to close).
        self.menu("x")
        self.assertEqual(self.copy.wait_exit(10), 0)
        self.assertNotIn(self.icon, self.display.windows())
        self.display.screenshot("tray-after-end")


if __name__ == "__main__":
    unittest.main(verbosity=2)
