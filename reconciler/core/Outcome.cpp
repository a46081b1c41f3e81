#include "Reconcile.h"

namespace tallimo::core {

const OutcomeStyle& outcomeStyle(Outcome outcome) {
    static const OutcomeStyle styles[] = {
        {u"√", 15, 48}, {u"◇", 19, 0}, {u"○", 34, 0}, {u"◆", 6, 0}, {u"●", 33, 0},
    };
    return styles[int(outcome)];
}

}  // namespace tallimo::core
