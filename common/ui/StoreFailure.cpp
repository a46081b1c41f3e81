#include "StoreFailure.h"

namespace tallimo::ui {

void showStoreFailure(MessageBoxes& messages, const SettingsError& failure) {
    messages.show(MessageIcon::Error,
                  QStringLiteral("设置无法保存：") + QString::fromUtf8(failure.what()));
}

bool ReportingApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const SettingsError& failure) {
        QtMessageBoxes messages;
        showStoreFailure(messages, failure);
    } catch (const std::exception& failure) {
        QtMessageBoxes().show(MessageIcon::Error, QString::fromUtf8(failure.what()));
    }
    return false;
}

}  // namespace tallimo::ui
