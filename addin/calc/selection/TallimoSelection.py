"""The Tallimo add-in for Calc: answers selections for the Tallimo programs and guards columns
against repeated entries.

Every view of a spreadsheet document gets a watcher (started by the OnViewCreated job event).
While a Tallimo selection window is open, a selected block of cells is handed to tallimo-addin,
which writes the selection report and serves the cells' text on the clipboard.
"""

import json
import os

import uno
import unohelper
from com.sun.star.awt import XCallback
from com.sun.star.task import XJob
from com.sun.star.util import XChangesListener
from com.sun.star.view import XSelectionChangeListener

import tallimo_cells
import tallimo_programs

IMPLEMENTATION = "org.tallimo.calc.SelectionJob"
TITLE = "Tallimo"
# Undo asks about a single entry; a paste of many cells is not checked cell by cell.
GUARD_CELL_LIMIT = 64

# The watchers of open views and the documents whose entries are guarded; held here so that the
# listeners stay alive. UNO proxies compare equal when they stand for the same object.
_watchers = []
_guarded_models = []


def _document_path(model):
    url = model.getURL()
    return uno.fileUrlToSystemPath(url) if url.startswith("file:") else ""


def _workbook_name(model):
    path = _document_path(model)
    return os.path.basename(path) if path else model.getTitle()


def _is_flag_ticked(section, key, ticked_unless_zero):
    value = tallimo_programs.setting(section, key)
    return value != "0" if ticked_unless_zero else value == "1"


def _display_texts(block):
    """The cells' texts as Calc shows them; one list per row."""
    values = block.getDataArray()
    formulas = block.getFormulaArray()
    rows = []
    for r, row in enumerate(values):
        texts = []
        for c, value in enumerate(row):
            if isinstance(value, str) and not formulas[r][c].startswith("="):
                texts.append(value)
            else:
                # Numbers and formula results take their number format.
                texts.append(block.getCellByPosition(c, r).getString())
        rows.append(texts)
    return rows


def _picked_block(selection):
    """(sheet, top, left, bottom, right) of a single selected block, or None."""
    if selection is None or selection.supportsService("com.sun.star.sheet.SheetCellRanges"):
        return None
    if not selection.supportsService("com.sun.star.sheet.SheetCellRange"):
        return None
    address = selection.getRangeAddress()
    sheet = selection.getSpreadsheet()
    top, left, bottom, right = (address.StartRow, address.StartColumn, address.EndRow,
                                address.EndColumn)
    last_row = sheet.getRows().getCount() - 1
    if top == 0 and bottom == last_row:
        # Whole columns picked by their letters stand for the used rows below the headings.
        cursor = sheet.createCursor()
        cursor.gotoEndOfUsedArea(False)
        used = cursor.getRangeAddress()
        if left == 0 and right == sheet.getColumns().getCount() - 1:
            right = max(used.EndColumn, 0)
        column = sheet.getCellRangeByPosition(right, 0, right, used.EndRow).getDataArray()
        top, bottom = tallimo_cells.whole_column_rows(
            [row[0] for row in column],
            _is_flag_ticked("HiSet", "1stRow_SelCol", ticked_unless_zero=True),
            _is_flag_ticked("HiSet", "lastRow_SelCol", ticked_unless_zero=False))
    return sheet, top, left, bottom, right


def answer_selection(model, controller):
    code, out, _ = tallimo_programs.run_addin(["waiting"])
    if code != 0:
        return
    picked = _picked_block(controller.getSelection())
    if picked is None:
        return
    sheet, top, left, bottom, right = picked
    block = sheet.getCellRangeByPosition(left, top, right, bottom)
    handed = {"cells": _display_texts(block)}
    if top > 0:
        # The row above usually holds the columns' titles, which the selection leaves out.
        above = sheet.getCellRangeByPosition(left, top - 1, right, top - 1)
        handed["titles"] = _display_texts(above)[0]
    cells = json.dumps(handed, ensure_ascii=False).encode("utf-8")
    tallimo_programs.run_addin(
        ["report", "--workbook", _workbook_name(model), "--sheet", sheet.getName(),
         "--range", tallimo_cells.absolute_address(top, left, bottom, right),
         "--for", out.strip()], cells)


def _guarded_columns(model):
    path = _document_path(model)
    if not path:
        return set()
    code, out, _ = tallimo_programs.run_addin(["guard", path])
    if code != 0:
        return set()
    return {tallimo_cells.column_index(line) for line in out.split()}


def _changed_cells(change):
    """(sheet, column, row) of each cell of a content change, up to the guard's limit."""
    target = change.ReplacedElement
    ranges = []
    if hasattr(target, "getRangeAddresses"):
        ranges = list(target.getRangeAddresses())
    elif hasattr(target, "getRangeAddress"):
        ranges = [target.getRangeAddress()]
    cells = []
    for address in ranges:
        for row in range(address.StartRow, address.EndRow + 1):
            for column in range(address.StartColumn, address.EndColumn + 1):
                cells.append((address.Sheet, column, row))
                if len(cells) > GUARD_CELL_LIMIT:
                    return []
    return cells


def _same_value(a, b):
    if isinstance(a, str) and isinstance(b, str):
        return a.casefold() == b.casefold()
    return a == b


def _first_repeat(sheet, column, row):
    """Zero-based row of another cell of the column holding the value of (column, row)."""
    value = sheet.getCellByPosition(column, row).getDataArray()[0][0]
    if value == "":
        return None
    cursor = sheet.createCursor()
    cursor.gotoEndOfUsedArea(False)
    last = cursor.getRangeAddress().EndRow
    values = sheet.getCellRangeByPosition(column, 0, column, last).getDataArray()
    for other, (candidate,) in enumerate(values):
        if other != row and _same_value(candidate, value):
            return other
    return None


def _ask(ctx, frame, text):
    toolkit = ctx.ServiceManager.createInstanceWithContext("com.sun.star.awt.Toolkit", ctx)
    box_type = uno.Enum("com.sun.star.awt.MessageBoxType", "QUERYBOX")
    buttons = (uno.getConstantByName("com.sun.star.awt.MessageBoxButtons.BUTTONS_YES_NO")
               + uno.getConstantByName(
                   "com.sun.star.awt.MessageBoxButtons.DEFAULT_BUTTON_YES"))
    box = toolkit.createMessageBox(frame.getContainerWindow(), box_type, buttons, TITLE, text)
    answer = box.execute()
    box.dispose()
    return answer == uno.getConstantByName("com.sun.star.awt.MessageBoxResults.YES")


class _Undo(unohelper.Base, XCallback):
    """Takes the last entry back once Calc has finished recording it."""

    def __init__(self, model):
        self.model = model

    def notify(self, data):
        self.model.getUndoManager().undo()


def guard_entries(ctx, model, changes):
    cells = [cell for change in changes if change.Accessor == "cell-change"
             for cell in _changed_cells(change)]
    if not cells:
        return
    guarded = _guarded_columns(model)
    sheets = model.getSheets()
    for sheet_index, column, row in cells:
        if column not in guarded:
            continue
        sheet = sheets.getByIndex(sheet_index)
        repeat = _first_repeat(sheet, column, row)
        if repeat is None:
            continue
        text = sheet.getCellByPosition(column, row).getString()
        question = ("“%s”已存在于%s列第%d行，不能重复录入。\n是否撤销本次录入？"
                    % (text, tallimo_cells.column_letters(column), repeat + 1))
        frame = model.getCurrentController().getFrame()
        if _ask(ctx, frame, question):
            # Calc reports the change before it records the entry's undo step.
            callback = ctx.ServiceManager.createInstanceWithContext(
                "com.sun.star.awt.AsyncCallback", ctx)
            callback.addCallback(_Undo(model), None)
        return


class _SettledSelection(unohelper.Base, XCallback):
    """Answers a watcher's selection once Calc has handled the events queued before it."""

    def __init__(self, watcher):
        self.watcher = watcher

    def notify(self, data):
        self.watcher.answer_pending()


class SelectionWatcher(unohelper.Base, XSelectionChangeListener):
    def __init__(self, ctx, model, controller):
        self.ctx = ctx
        self.model = model
        self.controller = controller
        self.pending = False

    def selectionChanged(self, event):
        # Calc reports the steps of one change (a multi-area selection first passes through its
        # cursor cell), so the selection is answered once the change is complete, and only once.
        if self.pending:
            return
        self.pending = True
        callback = self.ctx.ServiceManager.createInstanceWithContext(
            "com.sun.star.awt.AsyncCallback", self.ctx)
        callback.addCallback(_SettledSelection(self), None)

    def answer_pending(self):
        self.pending = False
        try:
            answer_selection(self.model, self.controller)
        except tallimo_programs.ProgramError:
            pass  # no Tallimo installation to answer: selections go on as usual

    def disposing(self, event):
        if self in _watchers:
            _watchers.remove(self)


class EntryGuard(unohelper.Base, XChangesListener):
    def __init__(self, ctx, model):
        self.ctx = ctx
        self.model = model

    def changesOccurred(self, event):
        try:
            guard_entries(self.ctx, self.model, event.Changes)
        except tallimo_programs.ProgramError:
            pass

    def disposing(self, event):
        if self in _guarded_models:
            _guarded_models.remove(self)


class SelectionJob(unohelper.Base, XJob):
    def __init__(self, ctx):
        self.ctx = ctx

    def execute(self, arguments):
        environment = next((a.Value for a in arguments if a.Name == "Environment"), ())
        model = next((e.Value for e in environment if e.Name == "Model"), None)
        if model is None or not model.supportsService("com.sun.star.sheet.SpreadsheetDocument"):
            return None
        controller = model.getCurrentController()
        if controller is not None and not any(w.controller == controller for w in _watchers):
            watcher = SelectionWatcher(self.ctx, model, controller)
            _watchers.append(watcher)
            controller.addSelectionChangeListener(watcher)
        if not any(g.model == model for g in _guarded_models):
            guard = EntryGuard(self.ctx, model)
            _guarded_models.append(guard)
            model.addChangesListener(guard)
        return None


g_ImplementationHelper = unohelper.ImplementationHelper()
g_ImplementationHelper.addImplementation(SelectionJob, IMPLEMENTATION,
                                         ("com.sun.star.task.Job",))
