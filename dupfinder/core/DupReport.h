#pragma once

#include "AreaBlock.h"
#include "Detection.h"
#include "Host.h"
#include "SearchArea.h"

#include <QDateTime>
#include <QString>

namespace tallimo::dupfinder {

inline const QString kDataSheet = QStringLiteral("数据");
inline const QString kDedupSheet = QStringLiteral("数据(去重)");
inline const QString kReportSheet = QStringLiteral("报告");

// Adds the template workbook to `app`: sheets "数据" and "报告", the report's title and headings.
// The build makes the template file with it; nothing else calls it.
host::Workbook buildTemplate(host::Application& app);

// "Varnoq去重_yyyy-mm-dd hh-mm-ss.xlsx" in `folder`.
QString reportBookPath(const QString& folder, const QDateTime& time);

// Puts the area on "数据" of a workbook opened from the template: the texts at the area's own
// addresses, the caption above the area (or as a hidden comment on its first cell when the area
// starts in row 1), the area's columns aligned. Throws host::HostError for an area that is no
// block of the sheet.
void fillWorkingBook(host::Workbook book, const AreaBlock& block, const SearchArea& area);

// Throws host::HostError when the report would not fit the sheet: its key rows and conclusion
// must end within the grid.
void checkReportFits(const Detection& detection);

// Writes the report into a working workbook: the de-duplicated copy of "数据", the key rows,
// comments and colours of the groups, the deleted repeat rows, the lines, time and conclusion.
// The report must fit (checkReportFits).
void writeReport(host::Workbook book, const Detection& detection, const QDateTime& time,
                 const StatusReporter& status = {});

}  // namespace tallimo::dupfinder
