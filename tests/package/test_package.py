"""Install into a staging folder and validate what a desktop reads; build the
Debian package and check its metadata, its files, and that its program runs
from the package alone."""
import configparser
import os
import shutil
import subprocess
import sys
import tempfile
import unittest
from xml.etree import ElementTree

BUILD = os.environ.get("PORTANA_BUILD", os.getcwd())


def run(*args, **kw):
    return subprocess.run(list(args), check=True, capture_output=True, text=True, **kw)


class Package(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        for tool in ("desktop-file-validate", "appstreamcli", "cpack", "dpkg-deb"):
            if not shutil.which(tool):
                raise unittest.SkipTest("missing " + tool)
        cls.tmp = tempfile.mkdtemp(prefix="portana-package-")

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.tmp, ignore_errors=True)

    def test_staged_install_validates(self):
        stage = os.path.join(self.tmp, "stage")
        # DESTDIR: the firewall's profile goes to /etc, outside any prefix.
        run("cmake", "--install", BUILD, "--prefix", "/usr", env=dict(os.environ, DESTDIR=stage))
        share = os.path.join(stage, "usr", "share")
        desktop = os.path.join(share, "applications", "jp.portana.Portana.desktop")
        run("desktop-file-validate", desktop)
        run("appstreamcli", "validate", "--no-net",
            os.path.join(share, "metainfo", "jp.portana.Portana.metainfo.xml"))
        with open(desktop, encoding="utf-8") as f:
            entry = f.read()
        self.assertIn("Name=ぽるとな～\n", entry)
        self.assertIn("Categories=Network;InstantMessaging;\n", entry)
        for size in (16, 32, 48, 256):
            icon = os.path.join(share, "icons", "hicolor", "%dx%d" % (size, size), "apps", "portana.png")
            with open(icon, "rb") as f:
                head = f.read(24)
            self.assertEqual(head[:8], b"\x89PNG\r\n\x1a\n")
            self.assertEqual(int.from_bytes(head[16:20], "big"), size)
        self.assertTrue(os.path.exists(os.path.join(share, "man", "man1", "portana.1.gz")))
        self.firewall_opens_50319(stage)

    def firewall_opens_50319(self, root):
        """ufw's application profile and firewalld's service, as each reads them."""
        profile = configparser.ConfigParser(interpolation=None)
        with open(os.path.join(root, "etc", "ufw", "applications.d", "portana"), encoding="utf-8") as f:
            profile.read_file(f)
        self.assertEqual(profile.sections(), ["portana"])
        self.assertEqual(sorted(profile["portana"]), ["description", "ports", "title"])
        # ufw's form for several: "|" between them, each port/protocol.
        self.assertEqual(profile["portana"]["ports"], "50319/udp|50319/tcp")
        service = ElementTree.parse(os.path.join(root, "usr", "lib", "firewalld", "services",
                                                 "portana.xml")).getroot()
        self.assertEqual(service.tag, "service")
        self.assertEqual(service.findtext("short"), "portana")
        self.assertEqual([p.attrib for p in service.findall("port")],
                         [{"protocol": "udp", "port": "50319"}, {"protocol": "tcp", "port": "50319"}])

    def test_debian_package(self):
        out = os.path.join(self.tmp, "deb")
        run("cpack", "-G", "DEB", "-B", out, cwd=BUILD)
        deb = [f for f in os.listdir(out) if f.endswith(".deb")]
        self.assertEqual(len(deb), 1)
        deb = os.path.join(out, deb[0])
        depends = run("dpkg-deb", "-f", deb, "Depends").stdout
        for name in ("libqt6widgets6", "libqt6network6", "qt6-translations-l10n",
                     "fonts-noto-cjk | fonts-ipafont-gothic | fonts-vlgothic"):
            self.assertIn(name, depends)
        self.assertNotIn("qt6-qpa-plugins", depends)
        self.assertEqual(run("dpkg-deb", "-f", deb, "Recommends").stdout, "qt6-wayland\n")
        files = run("dpkg-deb", "-c", deb).stdout
        for path in ("./usr/bin/portana", "./usr/share/applications/jp.portana.Portana.desktop",
                     "./usr/share/metainfo/jp.portana.Portana.metainfo.xml",
                     "./usr/share/icons/hicolor/48x48/apps/portana.png",
                     "./usr/share/man/man1/portana.1.gz", "./usr/share/doc/portana/copyright",
                     "./usr/share/doc/portana/changelog.gz", "./etc/ufw/applications.d/portana",
                     "./usr/lib/firewalld/services/portana.xml"):
            self.assertIn(path + "\n", files)
        conffiles = subprocess.run(["dpkg-deb", "-I", deb, "conffiles"], capture_output=True,
                                   text=True).stdout
        self.assertEqual(conffiles, "/etc/ufw/applications.d/portana\n")
        if shutil.which("lintian"):
            report = subprocess.run(["lintian", deb], capture_output=True, text=True)
            tags = [line for line in report.stdout.splitlines() if line[:2] in ("E:", "W:")]
            self.assertEqual(tags, [], report.stdout)
        # The packaged program answers without a display and without the build tree.
        root = os.path.join(self.tmp, "root")
        run("dpkg-deb", "-x", deb, root)
        self.firewall_opens_50319(root)
        program = os.path.join(root, "usr", "bin", "portana")
        env = {k: v for k, v in os.environ.items() if k != "DISPLAY"}
        version = run(program, "--version", env=env, cwd=self.tmp).stdout
        self.assertRegex(version, r"^portana \d+\.\d+\n$")
        wrong = subprocess.run([program, "--bogus"], env=env, capture_output=True, text=True)
        self.assertEqual((wrong.returncode, wrong.stdout), (2, ""))
        self.assertIn("使い方: portana", wrong.stderr)
        if os.geteuid() == 0 and not os.path.exists("/usr/bin/portana"):
            self.installed_program_reads_the_config_folder(deb, env)

    def installed_program_reads_the_config_folder(self, deb, env):
        """Installed under /usr, it reads $XDG_CONFIG_HOME/portana/optGFile.dat
        (one that is not ours, which it reports) and writes nothing beside itself."""
        run("dpkg", "-i", deb)
        try:
            config = os.path.join(self.tmp, "config")
            os.makedirs(os.path.join(config, "portana"))
            with open(os.path.join(config, "portana", "optGFile.dat"), "wb") as f:
                f.write(b"[not ours]\r\n")
            runtime = os.path.join(self.tmp, "runtime")
            os.makedirs(runtime, mode=0o700)
            env = dict(env, XDG_CONFIG_HOME=config, XDG_RUNTIME_DIR=runtime,
                       QT_QPA_PLATFORM="offscreen")
            p = subprocess.Popen(["/usr/bin/portana"], env=env, stderr=subprocess.PIPE, text=True)
            try:
                line = p.stderr.readline()  # the box is said on stderr as it shows
            finally:
                p.kill()
                p.wait()
                p.stderr.close()
            self.assertIn("ぽるとな～のﾌｧｲﾙではありません", line)
            self.assertFalse(os.path.exists("/usr/bin/optGFile.dat"))
        finally:
            run("dpkg", "-r", "portana")


if __name__ == "__main__":
    unittest.main(verbosity=2)
