#include "WorkingBook.h"

#include "DupReport.h"
#include "MemoryHost.h"
#include "SelectionText.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace tallimo::dupfinder {

QByteArray templateBytes() {
    QFile file(QStringLiteral(":/dupfinder/DupTemplate.xlsx"));
    if (!file.open(QIODevice::ReadOnly))
        throw host::HostError(QStringLiteral("程序缺少查重报告的模板"));
    return file.readAll();
}

void writeTemplate(const QString& path) {
    if (QFile::exists(path)) QFile::remove(path);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(templateBytes()) < 0 || !file.flush())
        throw host::HostError(
            QStringLiteral("无法写入工作簿“%1”：%2").arg(path, file.errorString()));
}

QString newWorkingBookPath(const QString& folder) {
    const int digits = randomNumberText(1, 999999, 0).toInt();
    return QDir(folder).filePath(
        QStringLiteral("Qucong_%1.xlsx").arg(digits, 6, 10, QLatin1Char('0')));
}

void prepareWorkingBook(const QString& path, const AreaBlock& block, const SearchArea& area) {
    writeTemplate(path);
    host::Application app(host::makeMemoryHost());
    app.setDisplayAlerts(false);
    app.setEnableEvents(false);
    host::Workbook book = app.workbooks().open(path);
    fillWorkingBook(book, block, area);
    book.save();
    book.close(false);
    app.quit();
}

void removeWorkingBook(const QString& path) {
    if (!path.isEmpty() && QFile::exists(path)) QFile::remove(path);
}

host::Workbook openTemplate(host::Application& app) {
    QTemporaryDir folder;
    if (!folder.isValid())
        throw host::HostError(QStringLiteral("无法创建临时文件夹：%1").arg(folder.errorString()));
    const QString path = folder.filePath(QStringLiteral("DupTemplate.xlsx"));
    writeTemplate(path);
    return app.workbooks().open(path);
}

}  // namespace tallimo::dupfinder
