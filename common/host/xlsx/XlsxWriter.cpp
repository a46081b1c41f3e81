#include "Xlsx.h"

namespace tallimo::host {

void writeXlsx(const HostBackend&, BookId, const QString& path) {
    throw HostError(QStringLiteral("工作簿 \"%1\" 无法保存：尚未实现").arg(path));
}

}  // namespace tallimo::host
