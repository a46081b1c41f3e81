#pragma once

#include "MessageBoxes.h"

#include <QString>

namespace tallimo::reconciler {

// The pair of add-in files that suits a host: the add-in that reports selections, and the menu
// add-in that starts the programs from the host's menu or ribbon. The program folder holds each
// under a neutral number followed by ".qxrbfile".
struct AddinPair {
    int addinSource;
    QString addinFile;
    int menuSource;
    QString menuFile;
};

// The integer part of a host version text ("16.0" gives 16); 0 when there is none.
int hostMajorVersion(const QString& versionText);

// Whether the host is a 32-bit build. This platform has no registry of installed host builds;
// the host here is a 64-bit program, so the answer is always no.
bool hostIs32Bit(const QString& versionText);

// Hosts up to version 11 take the oldest pair; later ones the 32- or 64-bit pair.
AddinPair addinPairFor(int majorVersion, bool is32Bit);

// The shipped file for number `source` in `programFolder`.
QString addinSourcePath(const QString& programFolder, int source);

// Copies the shipped file `source` to `destination`, replacing what is there. A failure is shown
// (error box "文件复制" naming both files) and not passed on: the caller goes on with its steps.
void copyAddinFile(const QString& programFolder, int source, const QString& destination,
                   ui::MessageBoxes& messages);

}  // namespace tallimo::reconciler
