#pragma once

#include "AreaBlock.h"
#include "Host.h"
#include "SearchArea.h"

#include <QByteArray>
#include <QString>

namespace tallimo::dupfinder {

// The template workbook carried by the program.
QByteArray templateBytes();

// Writes the template to `path`, replacing a file of that name. Throws host::HostError.
void writeTemplate(const QString& path);

// "Qucong_" + six random digits + ".xlsx" in `folder`.
QString newWorkingBookPath(const QString& folder);

// Writes the template to `path`, fills it in a host of its own, saves and closes it. Throws
// host::HostError.
void prepareWorkingBook(const QString& path, const AreaBlock& block, const SearchArea& area);

// Deletes the working workbook when it exists; a failure is ignored.
void removeWorkingBook(const QString& path);

// Opens a copy of the template in `app` (the batch front end works without a working file).
host::Workbook openTemplate(host::Application& app);

}  // namespace tallimo::dupfinder
