#include "Host.h"
#include "MemoryHost.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>

namespace tallimo::host {
namespace {

QStringList sheetNames(const Workbook& book) {
    QStringList names;
    for (int i = 1; i <= book.sheets().count(); ++i)
        names.append(book.sheets()[i].name());
    return names;
}

// Points the per-user folders (documents, data, configuration) into a scratch folder.
class UserFolders {
public:
    UserFolders() {
        for (const char* name : {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "PATH"})
            saved_.append({name, qgetenv(name)});
        qputenv("HOME", dir_.path().toUtf8());
        qputenv("XDG_DATA_HOME", (dir_.path() + u"/data"_qs).toUtf8());
        qputenv("XDG_CONFIG_HOME", (dir_.path() + u"/config"_qs).toUtf8());
    }
    ~UserFolders() {
        for (const auto& [name, value] : saved_)
            qputenv(name, value);
    }
    QString path() const { return dir_.path(); }

private:
    QTemporaryDir dir_;
    QList<std::pair<const char*, QByteArray>> saved_;
};

TEST(MemoryBooks, NewWorkbooksAreNumberedAndFoundByName) {
    Application app(makeMemoryHost());
    const Workbook first = app.workbooks().add();
    const Workbook second = app.workbooks().add();
    EXPECT_EQ(first.name(), u"Book1"_qs);
    EXPECT_EQ(second.name(), u"Book2"_qs);
    EXPECT_EQ(app.activeWorkbook().id(), second.id());
    EXPECT_EQ(sheetNames(first), (QStringList{u"Sheet1"_qs, u"Sheet2"_qs, u"Sheet3"_qs}));
    EXPECT_EQ(app.workbooks()[u"book1"_qs].id(), first.id());
    EXPECT_EQ(app.workbooks().count(), 2);
    Workbook(second).close();
    EXPECT_EQ(app.workbooks().count(), 1);
    EXPECT_EQ(app.activeWorkbook().id(), first.id());
    EXPECT_THROW(app.workbooks()[u"Book2"_qs], HostError);
    EXPECT_THROW(app.workbooks().open(u"/nonexistent/ledger.xlsx"_qs), HostError);
    EXPECT_FALSE(app.visible());
    MemoryHostOptions shown;
    shown.visible = true;
    EXPECT_TRUE(makeMemoryHost(shown)->visible());
    EXPECT_EQ(app.version(), u"16.0"_qs);
}

TEST(MemoryBooks, SavedWorkbooksOpenAgainUnderTheirFileName) {
    QTemporaryDir folder;
    Application app(makeMemoryHost());
    Workbook book = app.workbooks().add();
    book.activeSheet().setName(u"报告"_qs);
    book.activeSheet().range(u"B2"_qs).setValue(u"1,200.00"_qs);
    const QString path = folder.filePath(u"ledger.xlsx"_qs);
    book.saveAs(path);
    EXPECT_EQ(book.name(), u"ledger.xlsx"_qs);
    book.close();

    Workbook opened = app.workbooks().open(path);
    EXPECT_EQ(opened.name(), u"ledger.xlsx"_qs);
    EXPECT_EQ(opened.path(), path);
    EXPECT_EQ(app.workbooks()[u"ledger"_qs].id(), opened.id());
    EXPECT_EQ(opened.sheets()[u"报告"_qs].range(u"B2"_qs).text(), u"1,200.00"_qs);
    EXPECT_EQ(app.workbooks().open(path).id(), opened.id());  // already open

    QDir().mkpath(folder.filePath(u"other"_qs));
    QFile::copy(path, folder.filePath(u"other/ledger.xlsx"_qs));
    EXPECT_THROW(app.workbooks().open(folder.filePath(u"other/ledger.xlsx"_qs)), HostError);
}

TEST(MemoryBooks, SheetsAreAddedCopiedMovedAndDeletedInTheHostsOrder) {
    Application app(makeMemoryHost());
    app.setDisplayAlerts(false);
    Workbook book = app.workbooks().add();
    Sheets sheets = book.sheets();

    // A new sheet goes before the active sheet and becomes active.
    Worksheet added = sheets.add();
    added.setName(u"比对1"_qs);
    EXPECT_EQ(sheetNames(book),
              (QStringList{u"比对1"_qs, u"Sheet1"_qs, u"Sheet2"_qs, u"Sheet3"_qs}));
    EXPECT_EQ(book.activeSheet().id(), added.id());

    Worksheet copy = added.copy(added, Placement::After);
    EXPECT_EQ(copy.name(), u"比对1 (2)"_qs);
    EXPECT_EQ(book.activeSheet().id(), copy.id());
    EXPECT_EQ(copy.copy(copy, Placement::Before).name(), u"比对1 (3)"_qs);
    sheets[u"比对1 (3)"_qs].remove();
    copy.setName(u"比对2"_qs);
    EXPECT_EQ(sheetNames(book),
              (QStringList{u"比对1"_qs, u"比对2"_qs, u"Sheet1"_qs, u"Sheet2"_qs, u"Sheet3"_qs}));

    Worksheet report = sheets.addBefore(sheets[u"Sheet1"_qs]);
    added.move(report, Placement::Before);
    copy.move(sheets[u"Sheet3"_qs], Placement::After);
    EXPECT_EQ(sheetNames(book), (QStringList{u"比对1"_qs, report.name(), u"Sheet1"_qs, u"Sheet2"_qs,
                                             u"Sheet3"_qs, u"比对2"_qs}));
    EXPECT_EQ(report.name(), u"Sheet5"_qs);  // numbering goes on past the renamed Sheet4

    // Deleting the active sheet activates its neighbour; the last sheet cannot go.
    sheets[u"Sheet2"_qs].select();
    sheets[u"Sheet2"_qs].remove();
    EXPECT_EQ(book.activeSheet().name(), u"Sheet3"_qs);
    while (sheets.count() > 1)
        sheets[1].remove();
    EXPECT_THROW(sheets[1].remove(), HostError);
    EXPECT_THROW(sheets[2], HostError);
}

TEST(MemoryBooks, SheetNamesFollowTheHostsRules) {
    Application app(makeMemoryHost());
    Workbook book = app.workbooks().add();
    Worksheet sheet = book.sheets()[1];
    for (const QString& bad : {u""_qs, u"sheet2"_qs, u"a[b]"_qs, u"a:b"_qs, u"a*b"_qs, u"a?b"_qs,
                               u"a/b"_qs, u"a\\b"_qs, u"'quoted'"_qs, QString(32, u'x')}) {
        EXPECT_THROW(sheet.setName(bad), HostError) << bad.toStdString();
    }
    sheet.setName(QString(31, u'报'));
    sheet.setName(u"SHEET1"_qs);  // its own name in other case
    sheet.setName(u"1.(F列_D列)比对报告√"_qs);
    EXPECT_EQ(sheet.name(), u"1.(F列_D列)比对报告√"_qs);
    EXPECT_EQ(book.sheets()[u"1.(f列_d列)比对报告√"_qs].id(), sheet.id());
}

TEST(MemoryBooks, FreezePanesAboveAndLeftOfTheActiveCell) {
    Application app(makeMemoryHost());
    Workbook book = app.workbooks().add();
    Worksheet sheet = book.activeSheet();
    sheet.range(u"A6"_qs).select();
    app.freezePanes();
    EXPECT_EQ(app.backend().sheetView(sheet.id()).frozenRows, 5);
    EXPECT_EQ(app.backend().sheetView(sheet.id()).frozenColumns, 0);
    sheet.setTabColor(255);
    sheet.setDisplayGridlines(false);
    PageSetup page = sheet.pageSetup();
    page.setOrientation(xl::kLandscape);
    page.setFitToPagesWide(1);
    page.setCenterHorizontally(true);
    page.setRightFooter(u"Tallimo https://tallimo.example"_qs);
    const SheetView view = app.backend().sheetView(sheet.id());
    EXPECT_EQ(view.tabColor, 255u);
    EXPECT_FALSE(view.showGridlines);
    EXPECT_EQ(view.orientation, xl::kLandscape);
    EXPECT_EQ(view.fitToPagesWide, 1);
    EXPECT_TRUE(view.centerHorizontally);
    EXPECT_EQ(view.rightFooter, u"Tallimo https://tallimo.example"_qs);
    EXPECT_THROW(page.setOrientation(3), HostError);
}

TEST(MemoryBooks, AddInRegistrationsOutliveTheHost) {
    UserFolders folders;
    const QString library = makeMemoryHost()->userLibraryPath();
    EXPECT_EQ(library, folders.path() + u"/data/RivaDare4Ruzar/AddIns/"_qs);
    QFile file(library + u"reconciler_Addin64.xlam"_qs);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    {
        Application app(makeMemoryHost());
        EXPECT_EQ(app.addIns().add(file.fileName()), u"reconciler_Addin64"_qs);
        EXPECT_FALSE(app.addIns().installed(u"reconciler_Addin64"_qs));
        app.addIns().setInstalled(u"reconciler_Addin64"_qs, true);
        EXPECT_THROW(app.addIns().setInstalled(u"reconciler_Menu64"_qs, false), HostError);
        EXPECT_THROW(app.addIns().add(library + u"missing.xlam"_qs), HostError);
        app.quit();
    }
    Application later(makeMemoryHost());
    EXPECT_TRUE(later.addIns().installed(u"reconciler_Addin64"_qs));
}

TEST(MemoryBooks, MakingTheHostVisibleHandsUnseenWorkbooksToTheDesktop) {
    UserFolders folders;
    const QString record = folders.path() + u"/opened.txt"_qs;
    const QString bin = folders.path() + u"/bin"_qs;
    QDir().mkpath(bin);
    QFile script(bin + u"/xdg-open"_qs);
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write(QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"$1\" >> '%1'\n").arg(record).toUtf8());
    script.close();
    script.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("PATH", bin.toUtf8() + ':' + qgetenv("PATH"));

    Application app(makeMemoryHost());
    Workbook book = app.workbooks().add();
    book.activeSheet().range(u"A1"_qs).setValue(u"数据比对报告"_qs);
    app.setVisible(false);
    EXPECT_FALSE(QFile::exists(record));
    app.setVisible(true);

    // The opener runs on its own; its lines are complete once they end with a line break.
    const auto linesOpened = [&](int atLeast) {
        QElapsedTimer waited;
        waited.start();
        QStringList lines;
        do {
            QFile opened(record);
            if (opened.open(QIODevice::ReadOnly)) {
                const QString text = QString::fromUtf8(opened.readAll());
                if (text.endsWith(u'\n')) lines = text.split(u'\n', Qt::SkipEmptyParts);
            }
            if (lines.size() >= atLeast) break;
            QThread::msleep(20);
        } while (waited.elapsed() < 30000);
        return lines;
    };
    const QStringList paths = linesOpened(1);
    ASSERT_EQ(paths.size(), 1);
    const QFileInfo saved(paths.front());
    EXPECT_TRUE(saved.isFile());
    EXPECT_EQ(saved.absolutePath(), folders.path() + u"/Documents/Tallimo"_qs);
    EXPECT_TRUE(saved.fileName().startsWith(u"Book1_"_qs));
    EXPECT_TRUE(saved.fileName().endsWith(u".xlsx"_qs));
    EXPECT_EQ(book.path(), saved.absoluteFilePath());

    // A workbook already shown is not handed over again: once a second workbook's file has come
    // through, the first one's has still come only once.
    app.setVisible(false);
    app.setVisible(true);
    app.workbooks().add().activeSheet().range(u"A1"_qs).setValue(u"第二个"_qs);
    app.setVisible(false);
    app.setVisible(true);
    const QStringList later = linesOpened(2);
    ASSERT_EQ(later.size(), 2);
    EXPECT_EQ(later.count(paths.front()), 1);
    EXPECT_TRUE(QFileInfo(later.back()).fileName().startsWith(u"Book2_"_qs));
}

// The program that made a workbook may say what its file is to be called; the host keeps the
// name inside the documents folder and hands the saved file to the program's own opener.
TEST(MemoryBooks, SuggestedNameNamesTheSavedFileShownThroughTheOpener) {
    UserFolders folders;
    QStringList shown;
    MemoryHostOptions options;
    options.showFile = [&](const QString& path) { shown.append(path); };
    Application app(makeMemoryHost(options));
    const struct {
        const char* suggested;
        const char* fileStart;
    } cases[] = {{"对账_账本_流水", "对账_账本_流水_"}, {"../../.x/y", "_.._.x_y_"}};
    for (const auto& c : cases) {
        Workbook book = app.workbooks().add();
        book.suggestFileName(QString::fromUtf8(c.suggested));
    }
    app.setVisible(true);
    ASSERT_EQ(shown.size(), 2);
    for (int i = 0; i < 2; ++i) {
        const QFileInfo saved(shown[i]);
        EXPECT_TRUE(saved.isFile());
        EXPECT_EQ(saved.absolutePath(), folders.path() + u"/Documents/Tallimo"_qs);
        EXPECT_TRUE(saved.fileName().startsWith(QString::fromUtf8(cases[i].fileStart)))
            << saved.fileName().toStdString();
    }
}

}  // namespace
}  // namespace tallimo::host
