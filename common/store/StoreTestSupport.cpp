#include "StoreTestSupport.h"

#include <QProcess>
#include <memory>
#include <vector>

namespace tallimo::test {

bool runWritersAtOnce(const QList<QStringList>& argumentLists) {
    std::vector<std::unique_ptr<QProcess>> writers;
    for (const QStringList& arguments : argumentLists) {
        auto writer = std::make_unique<QProcess>();
        writer->setProcessChannelMode(QProcess::ForwardedChannels);
        writer->start(QStringLiteral(TALLIMO_STORE_WRITER), arguments);
        writers.push_back(std::move(writer));
    }
    bool allSucceeded = true;
    for (auto& writer : writers) {
        allSucceeded = writer->waitForFinished(120000) && allSucceeded;
        allSucceeded =
            writer->exitStatus() == QProcess::NormalExit && writer->exitCode() == 0 && allSucceeded;
    }
    return allSucceeded;
}

}  // namespace tallimo::test
