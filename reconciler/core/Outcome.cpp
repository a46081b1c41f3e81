#include "Reconcile.h"

namespace tallimo::core {

const OutcomeStyle& outcomeStyle(Outcome outcome) {
    static const OutcomeStyle styles[] = {
        {u"√", u"核对相符", 15, 48}, {u"◇", u"左多于右", 19, 0}, {u"○", u"右多于左", 34, 0},
        {u"◆", u"左独有", 6, 0},     {u"●", u"右独有", 33, 0},
    };
    return styles[int(outcome)];
}

}  // namespace tallimo::core
