#include "InterfaceFont.h"

#include <QStringList>

namespace tallimo::ui {

QFont interfaceFont(double pointSize, bool bold) {
    QFont font;
    font.setFamilies({QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Noto Serif CJK SC")});
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}

}  // namespace tallimo::ui
