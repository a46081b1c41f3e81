#include "Reconcile.h"

namespace tallimo::core {

PassResult runComparisonPass(host::Application&, const PassInput&, int) {
    PassResult result;
    result.failure = QStringLiteral("not built yet");
    return result;
}

std::vector<PassResult> runReconciliation(host::Application& app, PassInput input) {
    input.sumPositions = sumPositionsOf(*input.left, *input.right);
    input.secondPassNeeded = secondPassNeeded(*input.left, *input.right);
    std::vector<PassResult> results{runComparisonPass(app, input, 1)};
    if (input.secondPassNeeded)
        results.push_back(runComparisonPass(app, input, 2));
    return results;
}

}  // namespace tallimo::core
