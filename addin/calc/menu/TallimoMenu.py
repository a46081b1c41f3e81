"""The Tallimo menu and toolbar of Calc: each entry leaves its start request and starts the
reconciler, through tallimo-addin, from the program folder that environment maintenance
recorded ("Orlisoft Path")."""

import uno
import unohelper
from com.sun.star.task import XJobExecutor

import tallimo_programs

IMPLEMENTATION = "org.tallimo.calc.Menu"
TITLE = "Tallimo"


def _show(ctx, frame, kind, text):
    toolkit = ctx.ServiceManager.createInstanceWithContext("com.sun.star.awt.Toolkit", ctx)
    box = toolkit.createMessageBox(
        frame.getContainerWindow() if frame else None,
        uno.Enum("com.sun.star.awt.MessageBoxType", kind),
        uno.getConstantByName("com.sun.star.awt.MessageBoxButtons.BUTTONS_OK"), TITLE, text)
    box.execute()
    box.dispose()


class Menu(unohelper.Base, XJobExecutor):
    def __init__(self, ctx):
        self.ctx = ctx

    def _active_document(self):
        desktop = self.ctx.ServiceManager.createInstanceWithContext(
            "com.sun.star.frame.Desktop", self.ctx)
        return desktop.getCurrentComponent(), desktop.getCurrentFrame()

    def _request(self, command, document):
        if command == "reconcile":
            return ["--select-area1"]
        if command == "dupfinder":
            return ["--dupfinder"]
        if command == "guard":
            url = document.getURL() if document is not None else ""
            if not url.startswith("file:"):
                return None
            return ["--guard", uno.fileUrlToSystemPath(url)]
        return None

    def trigger(self, command):
        document, frame = self._active_document()
        request = self._request(command, document)
        if request is None:
            if command == "guard":
                _show(self.ctx, frame, "WARNINGBOX", "请先保存工作簿，再设置防重复录入。")
            return
        try:
            folder = tallimo_programs.setting("Excel", "Orlisoft Path")
            args = ["start"] + request + (["--folder", folder] if folder else [])
            code, _, err = tallimo_programs.run_addin(args)
            if code != 0:
                raise tallimo_programs.ProgramError(err.strip() or "tallimo-addin %d" % code)
        except tallimo_programs.ProgramError as error:
            _show(self.ctx, frame, "ERRORBOX", "无法启动 Tallimo：\n%s" % error)


g_ImplementationHelper = unohelper.ImplementationHelper()
g_ImplementationHelper.addImplementation(Menu, IMPLEMENTATION, ("com.sun.star.task.Job",))
