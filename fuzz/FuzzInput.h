#pragma once

#include <unistd.h>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <cstddef>
#include <cstdint>

// What the fuzz targets share: the input as bytes, and a private file to hand readers that
// take a path.
namespace tallimo::fuzz {

inline QByteArray bytesOf(const std::uint8_t* data, std::size_t size) {
    return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
}

// A file in the temporary folder named for this process, rewritten with each input.
inline QString writeInput(const QByteArray& bytes, const QString& suffix) {
    const QString path =
        QDir::temp().filePath(QStringLiteral("tallimo-fuzz-%1%2").arg(::getpid()).arg(suffix));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) file.write(bytes);
    return path;
}

}  // namespace tallimo::fuzz
