#pragma once

#include <QString>
#include <QStringList>

namespace tallimo::test {

// What the writer processes write, so that a test can check every entry afterwards.
inline const QString kWriterSection = QStringLiteral("Stress");
inline QString writerKey(const QString& prefix, int i) {
    return prefix + QString::number(i);
}
// Long enough that a torn write would show.
inline QString writerValue(const QString& key) {
    return key.repeated(200);
}

// Starts one tallimo_store_writer per argument list at the same time and waits for all; true when
// every one exited with 0.
bool runWritersAtOnce(const QList<QStringList>& argumentLists);

}  // namespace tallimo::test
