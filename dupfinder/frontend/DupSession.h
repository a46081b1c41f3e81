#pragma once

#include "AreaBlock.h"
#include "Clipboard.h"
#include "MessageBoxes.h"
#include "ProcessStarter.h"

#include <QString>
#include <optional>

namespace tallimo::dupfinder {

// What the two windows reach outside themselves; tests hand in doubles and folders of their own.
struct DupServices {
    ui::MessageBoxes& messages;
    ui::ClipboardText& clipboard;
    platform::ProcessStarter& starter;
    QString iniFile;
    QString documentsFolder;
    QString temporaryFolder;
    QString programFolder;
    // A finished report is handed to the desktop's spreadsheet program; otherwise only saved.
    bool showReports = true;
};

// The program's state shared by both windows: the loaded area and its block, where reports go.
struct DupSession {
    QString loadedAddress;
    std::optional<AreaBlock> block;
    QString outputFolder;
};

// Replaces the session's block with the clipboard's text; on failure shows the reader's message
// and leaves the block as it was.
bool readBlockFromClipboard(DupSession& session, const DupServices& services);

// The documents folder + "Varnoq Seek Dup", created when missing.
QString ensureOutputFolder(const DupServices& services);

}  // namespace tallimo::dupfinder
