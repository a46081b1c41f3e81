#include "FaultInjectingBackend.h"

namespace tallimo::host {

void FaultInjectingBackend::failOn(const QString& operation, int nthCall) {
    failures_.insert(operation, nthCall);
}

void FaultInjectingBackend::failOnCall(int nthCall) {
    failOverall_ = nthCall;
}

void FaultInjectingBackend::reset() {
    failures_.clear();
    failOverall_ = 0;
    calls_.clear();
    perOperation_.clear();
}

void FaultInjectingBackend::enter(const QString& operation) const {
    calls_.append(operation);
    const int nth = ++perOperation_[operation];
    const auto failure = failures_.constFind(operation);
    const bool byOperation = failure != failures_.cend() && (*failure == 0 || *failure == nth);
    const bool overall = failOverall_ > 0 && failOverall_ == calls_.size();
    if (byOperation || overall)
        throw HostError(
            QStringLiteral("模拟的宿主故障：%1（第 %2 次调用）").arg(operation).arg(nth));
}

}  // namespace tallimo::host
