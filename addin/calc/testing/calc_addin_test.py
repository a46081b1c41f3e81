"""Calc with the Tallimo extensions, driven over UNO.

The extensions are installed the way environment maintenance installs them (the host's add-in
registration, which calls unopkg) into a private LibreOffice profile; a workbook is opened and
selections are made through the document's controller while stand-in selection windows are open.
LibreOffice refuses to install user extensions as root, so as root the office side (unopkg,
soffice and the tallimo-addin calls it makes) runs as the unprivileged user "nobody".

Exit 77 (skipped) where LibreOffice, its Python bridge or an X display is missing.
"""

import argparse
import os
import pwd
import shutil
import socket
import subprocess
import sys
import tempfile
import threading
import time
import unittest

SKIPPED = 77
TIMEOUT = 30


def missing_prerequisite():
    if not os.environ.get("DISPLAY"):
        return "no X display"
    for program in ("soffice", "unopkg", "xclip", "xdotool"):
        if shutil.which(program) is None:
            return "%s is not installed" % program
    try:
        import uno  # noqa: F401
    except ImportError:
        return "the Python-UNO bridge (python3-uno) is not installed"
    return None


def wait_for(predicate, seconds=TIMEOUT, step=0.2):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        value = predicate()
        if value:
            return value
        time.sleep(step)
    return predicate()


def scramble(text):
    """The stored form of the guarded columns (the XOR passes fold into one byte mask)."""
    mask = 0
    for character in b"wk!*&(#&(#&5.[{;~)=":
        mask ^= character
    data = bytes(byte ^ mask for byte in text.encode("utf-16-le"))
    return data.decode("utf-16-le", "surrogatepass")


class Office:
    """The office side: a private profile and folders, run as `nobody` when the test is root."""

    def __init__(self, args):
        self.args = args
        self.root = tempfile.mkdtemp(prefix="tallimo-calc-")
        os.chmod(self.root, 0o755)
        self.home = os.path.join(self.root, "home")
        os.makedirs(self.home)
        self.prefix = []
        self.env = dict(os.environ)
        self.env.update({
            "HOME": self.home,
            "XDG_CONFIG_HOME": os.path.join(self.home, ".config"),
            "XDG_DATA_HOME": os.path.join(self.home, ".local", "share"),
            "XDG_RUNTIME_DIR": os.path.join(self.home, "runtime"),
            "TALLIMO_ADDIN": args.addin,
            "SAL_USE_VCLPLUGIN": "gen",
        })
        self.env.pop("SESSION_MANAGER", None)
        os.makedirs(self.env["XDG_RUNTIME_DIR"], mode=0o700)
        if os.geteuid() == 0:
            nobody = pwd.getpwnam("nobody")
            authority = self.env.get("XAUTHORITY")
            if authority and os.path.exists(authority):
                copy = os.path.join(self.root, "Xauthority")
                shutil.copyfile(authority, copy)
                os.chmod(copy, 0o644)
                self.env["XAUTHORITY"] = copy
            for folder, _, _ in os.walk(self.home):
                os.chown(folder, nobody.pw_uid, nobody.pw_gid)
            self.prefix = ["setpriv", "--reuid=%d" % nobody.pw_uid,
                           "--regid=%d" % nobody.pw_gid, "--clear-groups"]
        self.profile = "file://" + os.path.join(self.env["XDG_CONFIG_HOME"], "libreoffice", "4")
        self.process = None

    def run(self, command, stdin=None):
        done = subprocess.run(self.prefix + command, env=self.env, input=stdin,
                              capture_output=True, timeout=300, check=False)
        return done.returncode, done.stdout.decode(), done.stderr.decode()

    def addin(self, *args):
        return self.run([self.args.addin] + list(args))

    def setting(self, section, key):
        code, out, err = self.addin("settings", "get", section, key)
        assert code == 0, err
        return out[:-1] if out.endswith("\n") else out

    def save_setting(self, section, key, value):
        code, _, err = self.addin("settings", "set", section, key, value)
        assert code == 0, err

    def start(self):
        with socket.socket() as probe:
            probe.bind(("127.0.0.1", 0))
            self.port = probe.getsockname()[1]
        self.process = subprocess.Popen(
            self.prefix + ["soffice", "--norestore", "--nologo", "--nodefault",
                           "--nolockcheck", "-env:UserInstallation=" + self.profile,
                           "--accept=socket,host=127.0.0.1,port=%d;urp;" % self.port],
            env=self.env, stdout=subprocess.DEVNULL,
            stderr=open(os.path.join(self.root, "soffice.log"), "wb"))
        import uno
        local = uno.getComponentContext()
        resolver = local.ServiceManager.createInstanceWithContext(
            "com.sun.star.bridge.UnoUrlResolver", local)
        url = "uno:socket,host=127.0.0.1,port=%d;urp;StarOffice.ComponentContext" % self.port

        def connect():
            try:
                return resolver.resolve(url)
            except Exception:  # the office is still starting
                return None
        self.ctx = wait_for(connect, seconds=90, step=0.5)
        if self.ctx is None:
            raise RuntimeError("LibreOffice did not accept a connection")
        self.desktop = self.ctx.ServiceManager.createInstanceWithContext(
            "com.sun.star.frame.Desktop", self.ctx)

    def stop(self):
        if self.process is None:
            return
        ending = threading.Thread(target=self.terminate, daemon=True)
        ending.start()
        ending.join(20)
        try:
            self.process.wait(timeout=30)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()

    def terminate(self):
        try:
            self.desktop.terminate()
        except Exception:  # the bridge goes away with the office
            pass

    def clean(self):
        shutil.rmtree(self.root, ignore_errors=True)


class StandIn:
    """A stand-in selection window of the Tallimo programs ("range" or "dupfinder")."""

    def __init__(self, program, kind):
        self.process = subprocess.Popen([program, kind], stdin=subprocess.PIPE,
                                        stdout=subprocess.PIPE)
        parent, son = self.process.stdout.readline().decode().split()
        self.parent, self.son = parent, son
        # Until the window is mapped, the window system does not list it.
        wait_for(lambda: subprocess.run(["xdotool", "search", "--name", "^(Tallimo|Varnoq)"],
                                        capture_output=True).stdout.strip())

    def close(self):
        self.process.stdin.close()
        self.process.wait(timeout=TIMEOUT)


def xdotool(*args):
    subprocess.run(["xdotool"] + list(args), check=False, timeout=TIMEOUT)
    # Without a window manager focus and key events take effect a moment later.
    time.sleep(0.3)


def clipboard():
    done = subprocess.run(["xclip", "-o", "-selection", "clipboard"], capture_output=True,
                          timeout=TIMEOUT, check=False)
    return done.stdout


def take_clipboard_over():
    # xclip serves in the background until another program owns the selection.
    # It must not hold the test's output open, or the test run waits for it.
    subprocess.run(["xclip", "-selection", "clipboard"], input=b"(taken over)", timeout=TIMEOUT,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=False)


REPORT_KEYS = ["FromParent", "FromSon", "Hwnd_Excel", "wkName", "sName", "SHT", "RNG", "RNGTitles"]
SHEET = "账簿"
ROWS = [
    ["日期", "摘要", "金额"],
    ["2024-01-05", "收 货款", 1200.0],
    ["2024-01-06", "付\t运费", -35.5],
    ["2024-01-07", "收 货款", 1200.0],
    ["合计", "", 2364.5],
]


class CalcAddinTest(unittest.TestCase):
    args = None

    @classmethod
    def setUpClass(cls):
        cls.office = Office(cls.args)
        cls.install_extensions()
        cls.office.start()
        cls.book_path = os.path.join(cls.office.home, "ledger.xlsx")
        cls.book = cls.make_book(cls.book_path)

    @classmethod
    def tearDownClass(cls):
        try:
            # Unsaved changes would make the office ask before it ends.
            cls.book.setModified(False)
            cls.book.close(True)
        except Exception:  # the office may be gone already
            pass
        cls.office.stop()
        cls.office.clean()

    @classmethod
    def install_extensions(cls):
        # As maintenance does: the add-in files copied from Data/ under their own names into the
        # host's add-in folder, registered and switched on.
        library = os.path.join(cls.office.env["XDG_DATA_HOME"], "RivaDare4Ruzar", "AddIns")
        os.makedirs(library)
        files = []
        for number, name in (("103", "reconciler_Addin64.xlam"), ("106", "reconciler_Menu64.xlam")):
            target = os.path.join(library, name)
            shutil.copyfile(os.path.join(cls.args.data, number + ".qxrbfile"), target)
            files += [target, "on"]
        if cls.office.prefix:
            subprocess.run(["chown", "-R", "nobody:", cls.office.env["XDG_DATA_HOME"]], check=True)
        code, out, err = cls.office.run([cls.args.register] + files)
        assert code == 0, "registration failed: " + err
        assert out.split() == ["reconciler_Addin64", "reconciler_Menu64"], out

    @classmethod
    def make_book(cls, path):
        import uno
        from com.sun.star.beans import PropertyValue
        book = cls.office.desktop.loadComponentFromURL("private:factory/scalc", "_blank", 0, ())
        sheet = book.getSheets().getByIndex(0)
        sheet.setName(SHEET)
        for r, row in enumerate(ROWS):
            for c, value in enumerate(row):
                cell = sheet.getCellByPosition(c, r)
                if isinstance(value, float):
                    cell.setValue(value)
                    cell.NumberFormat = book.getNumberFormats().queryKey(
                        "#,##0.00", uno.createUnoStruct("com.sun.star.lang.Locale"), False)
                else:
                    cell.setString(value)
        filter_name = PropertyValue()
        filter_name.Name, filter_name.Value = "FilterName", "Calc MS Excel 2007 XML"
        book.storeAsURL(uno.systemPathToFileUrl(path), (filter_name,))
        return book

    def setUp(self):
        for key in REPORT_KEYS + ["RNGCF"]:
            self.office.addin("settings", "delete", "RangeSel", key)
        take_clipboard_over()

    def select(self, address):
        sheet = self.book.getSheets().getByName(SHEET)
        self.book.getCurrentController().select(sheet.getCellRangeByName(address))

    def report(self):
        return {key: self.office.setting("RangeSel", key) for key in REPORT_KEYS}

    def reported(self, key, value):
        self.assertEqual(wait_for(lambda: self.office.setting("RangeSel", key) == value), True,
                         "%s stays %r, not %r" % (key, self.office.setting("RangeSel", key), value))

    def test_extensions_are_installed_in_the_profile(self):
        code, out, err = self.office.run(["unopkg", "list", "-env:UserInstallation="
                                          + self.office.profile])
        self.assertEqual(code, 0, err)
        self.assertIn("org.tallimo.calc.addin", out)
        self.assertIn("org.tallimo.calc.menu", out)

    def test_a_selection_is_answered_as_the_stand_in_answers_it(self):
        window = StandIn(self.args.standin, "range")
        try:
            self.select("A1:C4")
            self.reported("RNG", "$A$1:$C$4")
            report = self.report()
            calc_text = clipboard()
            self.assertNotEqual(int(report["Hwnd_Excel"]), 0)

            # The same range read from the saved file by the stand-in.
            code, _, err = self.office.addin("select", self.book_path, "--sheet", SHEET,
                                             "--range", "A1:C4", "--parent", window.parent,
                                             "--son", window.son)
            self.assertEqual(code, 0, err)
            expected = self.report()
            expected["Hwnd_Excel"] = report["Hwnd_Excel"]
            self.assertEqual(report, expected)
            self.assertEqual(report["FromParent"], window.parent)
            self.assertEqual(report["FromSon"], window.son)
            self.assertEqual(calc_text, clipboard())
            self.assertEqual(calc_text.decode(), "日期\t摘要\t金额\r\n2024-01-05\t收 货款\t1,200.00\r\n"
                             "2024-01-06\t付 运费\t-35.50\r\n2024-01-07\t收 货款\t1,200.00\r\n")

            # Selected below its title row, the area brings the titles along.
            self.select("B2:C4")
            self.reported("RNG", "$B$2:$C$4")
            self.assertEqual(self.office.setting("RangeSel", "RNGTitles"), "摘要\t金额")
        finally:
            window.close()

    def test_whole_columns_honour_both_options(self):
        window = StandIn(self.args.standin, "range")
        cases = [
            # 1stRow_SelCol, lastRow_SelCol, reported range
            (None, "1", "$A$2:$C$4"),
            ("0", "0", "$A$1:$C$5"),
            ("1", "0", "$A$2:$C$5"),
        ]
        try:
            for first_row, last_row, expected in cases:
                with self.subTest(first_row=first_row, last_row=last_row):
                    if first_row is None:
                        self.office.addin("settings", "delete", "HiSet", "1stRow_SelCol")
                    else:
                        self.office.save_setting("HiSet", "1stRow_SelCol", first_row)
                    self.office.save_setting("HiSet", "lastRow_SelCol", last_row)
                    self.select("B5")  # a selection between the cases
                    self.reported("RNG", "$B$5")
                    self.select("A:C")
                    self.reported("RNG", expected)
            self.assertEqual(clipboard().decode().count("\r\n"), 4)
        finally:
            window.close()

    def test_without_a_selection_window_nothing_is_reported(self):
        self.select("B2:C3")
        time.sleep(2)
        self.assertEqual(self.report(), {key: "" for key in REPORT_KEYS})
        self.assertEqual(self.office.setting("RangeSel", "RNGCF"), "")

    def test_the_duplicate_finder_gets_its_range_and_multi_areas_nothing(self):
        window = StandIn(self.args.standin, "dupfinder")
        try:
            self.select("B2:C4")
            self.reported("RNGCF", "$B$2:$C$4")
            self.assertEqual(self.office.setting("RangeSel", "RNG"), "")
            self.assertEqual(clipboard().decode(),
                             "收 货款\t1,200.00\r\n付 运费\t-35.50\r\n收 货款\t1,200.00\r\n")

            ranges = self.book.createInstance("com.sun.star.sheet.SheetCellRanges")
            sheet = self.book.getSheets().getByName(SHEET)
            ranges.addRangeAddresses((sheet.getCellRangeByName("A1:A2").getRangeAddress(),
                                      sheet.getCellRangeByName("C1:C2").getRangeAddress()), False)
            self.office.addin("settings", "delete", "RangeSel", "RNGCF")
            self.book.getCurrentController().select(ranges)
            selection = self.book.getCurrentController().getSelection()
            self.assertTrue(selection.supportsService("com.sun.star.sheet.SheetCellRanges"))
            time.sleep(2)
            self.assertEqual(self.office.setting("RangeSel", "RNGCF"), "")
        finally:
            window.close()

    def entry_sheet(self):
        """A sheet of its own, so that the entries leave the ledger's used area as it is."""
        sheets = self.book.getSheets()
        if not sheets.hasByName("录入"):
            sheets.insertNewByName("录入", 1)
            sheet = sheets.getByName("录入")
            for r, (account, voucher) in enumerate([("A-1", "INV-001"), ("A-2", "INV-002")]):
                sheet.getCellByPosition(0, r).setString(account)
                sheet.getCellByPosition(1, r).setString(voucher)
        return sheets.getByName("录入")

    def type_into(self, address, text):
        """Types a text into a cell as the user does; returns the message boxes it raised, each
        answered with its default button."""
        self.book.getCurrentController().select(self.entry_sheet().getCellRangeByName(address))
        calc = subprocess.run(["xdotool", "search", "--name", "LibreOffice Calc"],
                              capture_output=True, text=True).stdout.split()[0]
        xdotool("windowfocus", calc)
        xdotool("type", "--delay", "20", text)
        xdotool("key", "Return")
        answered = []

        def answer_box():
            found = subprocess.run(["xdotool", "search", "--name", "^Tallimo$"],
                                   capture_output=True).stdout.split()
            if found:
                answered.append(found[0])
                xdotool("windowfocus", found[0])
                xdotool("key", "Return")
            return found
        wait_for(answer_box, seconds=4, step=0.5)
        wait_for(lambda: not subprocess.run(["xdotool", "search", "--name", "^Tallimo$"],
                                            capture_output=True).stdout.strip(), seconds=10)
        return answered

    def test_the_guard_warns_of_a_repeated_entry_in_a_guarded_column(self):
        self.office.save_setting("Excel", "inputNOmore", "1")
        columns = "|" + "".join(("42" if column == 2 else "N") + "|" for column in range(1, 257))
        self.office.save_setting("inputNOmore_Col", scramble(self.book_path), scramble(columns))
        sheet = self.entry_sheet()
        cases = [
            # cell, text, warned, what the cell holds afterwards
            ("A7", "A-1", False, "A-1"),  # column A is not guarded
            ("B7", "A-2", False, "A-2"),  # column B does not hold it
            ("B8", "INV-001", True, ""),  # warned; the default answer takes the entry back
            ("B9", "INV-003", False, "INV-003"),
        ]
        for address, text, warned, kept in cases:
            with self.subTest(address=address, text=text):
                self.assertEqual(bool(self.type_into(address, text)), warned)
                self.assertEqual(sheet.getCellRangeByName(address).getString(), kept)

    def test_the_menu_entries_leave_their_start_requests(self):
        programs = os.path.join(self.office.home, "programs")
        os.makedirs(programs, exist_ok=True)
        record = os.path.join(programs, "started")
        with open(os.path.join(programs, "reconciler"), "w") as script:
            # It stays a while, as the real program does: the menu must not wait for it.
            script.write("#!/bin/sh\nprintf '%s\\n' \"$#\" \"$@\" > \"$(dirname \"$0\")/started\"\n"
                         "sleep 60\n")
        os.chmod(os.path.join(programs, "reconciler"), 0o755)
        os.chmod(programs, 0o777)
        self.office.save_setting("Excel", "Orlisoft Path", programs)
        frame = self.book.getCurrentController().getFrame()
        dispatcher = self.office.ctx.ServiceManager.createInstanceWithContext(
            "com.sun.star.frame.DispatchHelper", self.office.ctx)
        cases = [
            ("reconcile", ("DiaoYong_Button", None), ["0"]),
            ("dupfinder", ("DiaoYong_ButtonCF", "CF"), ["0"]),
            ("guard", (None, None), ["1", "\"-s|%s\"" % self.book_path]),
        ]
        for command, (key, value), started in cases:
            with self.subTest(command=command):
                for request in ("DiaoYong_Button", "DiaoYong_ButtonCF"):
                    self.office.addin("settings", "delete", "Excel", request)
                if os.path.exists(record):
                    os.remove(record)
                clicked = time.monotonic()
                dispatcher.executeDispatch(frame, "service:org.tallimo.calc.Menu?" + command,
                                           "", 0, ())
                self.assertLess(time.monotonic() - clicked, 20,
                                "Calc waits for the started program")
                self.assertTrue(wait_for(lambda: os.path.exists(record)), "not started")
                time.sleep(0.3)
                with open(record) as lines:
                    self.assertEqual(lines.read().splitlines(), started)
                if key is not None:
                    stored = self.office.setting("Excel", key)
                    self.assertEqual(stored, value) if value else self.assertNotEqual(stored, "")


def main():
    parser = argparse.ArgumentParser()
    for option in ("--addin", "--standin", "--register", "--data"):
        parser.add_argument(option, required=True)
    args, rest = parser.parse_known_args()
    reason = missing_prerequisite()
    if reason:
        print("skipped: " + reason)
        return SKIPPED
    CalcAddinTest.args = args
    result = unittest.main(argv=[sys.argv[0]] + rest, exit=False, verbosity=2).result
    return 0 if result.wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(main())
