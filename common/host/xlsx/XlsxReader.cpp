#include "Xlsx.h"

namespace tallimo::host {

void readXlsx(HostBackend&, BookId, const QString& path) {
    throw HostError(QStringLiteral("工作簿 \"%1\" 无法打开：尚未实现").arg(path));
}

}  // namespace tallimo::host
