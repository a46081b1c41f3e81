#include "DupSession.h"

#include <QDir>

namespace tallimo::dupfinder {

bool readBlockFromClipboard(DupSession& session, const DupServices& services) {
    AreaBlockReading reading = readAreaBlock(services.clipboard.text());
    if (!reading.block) {
        services.messages.show(ui::MessageIcon::Exclamation, reading.error.text,
                               reading.error.title);
        return false;
    }
    session.block = std::move(reading.block);
    return true;
}

QString ensureOutputFolder(const DupServices& services) {
    const QString folder =
        QDir(services.documentsFolder).filePath(QStringLiteral("Varnoq Seek Dup"));
    QDir().mkpath(folder);
    return folder;
}

}  // namespace tallimo::dupfinder
