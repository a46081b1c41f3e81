#include "LocalTimeZone.h"

#include <cstdlib>

namespace tallimo::cli {

void nameLocalTimeZone() {
    setenv("TZ", ":/etc/localtime", 0);
}

}  // namespace tallimo::cli
