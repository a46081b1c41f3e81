#pragma once

#include "HostBackend.h"

#include <QHash>
#include <QStringList>
#include <memory>

// Records the operation by its name, then fails it or hands it to the wrapped back end.
#define TALLIMO_FAULT_INJECTING_FORWARD(result, name, parameters, arguments, qualifier) \
    result name parameters qualifier override {                                         \
        enter(QStringLiteral(#name));                                                   \
        return inner_->name arguments;                                                  \
    }

namespace tallimo::host {

// Wraps a back end and makes chosen calls fail with HostError, so tests can drive a caller into
// each of its error paths. Every operation of HostBackend.h's lists is recorded by its name (the
// member's name, e.g. "setValue") before it is checked and forwarded; the operations with a
// general implementation there (deleting several areas, the writer's row walks) run that one,
// through the recorded operations.
class FaultInjectingBackend : public HostBackend {
public:
    explicit FaultInjectingBackend(HostBackend& inner) : inner_(&inner) {}
    explicit FaultInjectingBackend(std::unique_ptr<HostBackend> inner)
        : owned_(std::move(inner)), inner_(owned_.get()) {}

    // Fails every call of `operation`, or only its n-th call (1-based) when nthCall > 0.
    void failOn(const QString& operation, int nthCall = 0);
    // Fails the n-th call overall (1-based, counted from construction or the last reset).
    void failOnCall(int nthCall);
    // Forgets the failures, the recorded calls and the counters.
    void reset();

    const QStringList& calls() const { return calls_; }
    int callCount(const QString& operation) const { return perOperation_.value(operation); }
    HostBackend& inner() const { return *inner_; }

    TALLIMO_HOST_OPERATIONS(TALLIMO_FAULT_INJECTING_FORWARD)

private:
    void enter(const QString& operation) const;

    std::unique_ptr<HostBackend> owned_;
    HostBackend* inner_;
    QHash<QString, int> failures_;  // operation -> n-th call to fail, 0 for every call
    int failOverall_ = 0;
    mutable QStringList calls_;
    mutable QHash<QString, int> perOperation_;
};

}  // namespace tallimo::host
