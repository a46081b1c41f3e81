#pragma once

#include "AreaBlock.h"
#include "Detection.h"
#include "Host.h"
#include "SearchArea.h"

#include <QDateTime>
#include <QString>

namespace tallimo::dupfinder {

// Everything one search needs: the area's texts and address, what makes a repeat, and where the
// report starts from.
struct DedupRequest {
    const AreaBlock* block = nullptr;  // the caller's, read from the same area
    SearchArea area;
    DetectionOptions detection;
    QDateTime reportTime;
    // The options window's working workbook, prepared from the same block and area: the report
    // is a copy of it named after reportTime in reportFolder. Empty: the report is the template,
    // filled in the host, and the caller saves it where it wants.
    QString workingBookPath;
    QString reportFolder;
};

struct Progress {
    StatusReporter status;  // the status texts as the progress strip shows them; may be empty
};

struct DedupResult {
    Detection detection;
    // The report workbook, open in the host and not saved; empty when no key repeats.
    QString workbookName;
    // The report's conclusion, or the notice that no key repeats.
    QString sentence;
};

// Finds the repeated rows and, when there are any, writes the report workbook in `app`. Throws
// host::HostError when the report does not fit the sheet or its workbook cannot be made.
DedupResult findDuplicates(host::Application& app, const DedupRequest& request,
                           const Progress& progress = {});

}  // namespace tallimo::dupfinder
