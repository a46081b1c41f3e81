#include "DedupJob.h"

#include "DupReport.h"
#include "WorkingBook.h"

#include <QFile>

namespace tallimo::dupfinder {

namespace {

host::Workbook reportBook(host::Application& app, const DedupRequest& request) {
    if (request.workingBookPath.isEmpty()) {
        host::Workbook book = openTemplate(app);
        fillWorkingBook(book, *request.block, request.area);
        return book;
    }
    const QString path = reportBookPath(request.reportFolder, request.reportTime);
    if (QFile::exists(path)) QFile::remove(path);
    if (!QFile::copy(request.workingBookPath, path))
        throw host::HostError(QStringLiteral("无法写入查重报告“%1”").arg(path));
    return app.workbooks().open(path);
}

}  // namespace

DedupResult findDuplicates(host::Application& app, const DedupRequest& request,
                           const Progress& progress) {
    DedupResult result;
    result.detection =
        detectDuplicates(*request.block, request.area.parts, request.detection, progress.status);
    if (!result.detection.hasDuplicates()) {
        result.sentence = noDuplicatesNotice(request.area.address);
        return result;
    }
    // Before any file is written: a report that cannot fit leaves nothing behind.
    checkReportFits(result.detection);
    host::Workbook book = reportBook(app, request);
    writeReport(book, result.detection, request.reportTime, progress.status);
    result.workbookName = book.name();
    result.sentence = conclusionText(result.detection);
    return result;
}

}  // namespace tallimo::dupfinder
