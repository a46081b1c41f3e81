#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace tallimo::platform {

// Starting another program (the shell's "open" verb): on its own, without a shell, in the
// current folder.
class ProcessStarter {
public:
    virtual ~ProcessStarter() = default;
    // False when the program could not be started (missing, not executable).
    virtual bool start(const QString& program, const QStringList& arguments = {}) = 0;
};

class DetachedProcessStarter final : public ProcessStarter {
public:
    bool start(const QString& program, const QStringList& arguments = {}) override;
};

// A test double that records the starts and answers `succeeds`.
class RecordingProcessStarter final : public ProcessStarter {
public:
    struct Start {
        QString program;
        QStringList arguments;
    };
    QList<Start> starts;
    bool succeeds = true;

    bool start(const QString& program, const QStringList& arguments = {}) override {
        starts.append({program, arguments});
        return succeeds;
    }
};

}  // namespace tallimo::platform
