#include "MessageBoxes.h"

#include <QMessageBox>

namespace tallimo::ui {

QString applicationTitle() {
    return QStringLiteral("Tallimo");
}

void QtMessageBoxes::show(MessageIcon icon, const QString& text, const QString& title) {
    const auto qtIcon = [icon] {
        switch (icon) {
            case MessageIcon::Exclamation:
                return QMessageBox::Warning;
            case MessageIcon::Information:
                return QMessageBox::Information;
            case MessageIcon::Error:
                return QMessageBox::Critical;
            case MessageIcon::None:
                break;
        }
        return QMessageBox::NoIcon;
    }();
    QMessageBox box(qtIcon, title.isEmpty() ? applicationTitle() : title, text, QMessageBox::Ok);
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    box.exec();
}

}  // namespace tallimo::ui
