#include "Clipboard.h"

#include <QClipboard>
#include <QGuiApplication>

namespace tallimo::ui {

QString SystemClipboardText::text() {
    const QClipboard* clipboard = QGuiApplication::clipboard();
    return clipboard ? clipboard->text(QClipboard::Clipboard) : QString();
}

}  // namespace tallimo::ui
