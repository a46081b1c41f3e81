#include "LargePages.h"

#include <unistd.h>
#include <cstdlib>
#include <cstring>
#include <string>

namespace tallimo::cli {

void restartWithLargePages(char* argv[]) {
    constexpr const char* kName = "GLIBC_TUNABLES";
    constexpr const char* kLargePages = "glibc.malloc.hugetlb=1";
    const char* tunables = std::getenv(kName);
    // Whatever hugetlb setting the user made stands; and it marks the second start.
    if (tunables != nullptr && std::strstr(tunables, "glibc.malloc.hugetlb") != nullptr) return;
    const std::string value = tunables != nullptr && *tunables != '\0'
                                  ? std::string(tunables) + ':' + kLargePages
                                  : std::string(kLargePages);
    if (setenv(kName, value.c_str(), 1) != 0) return;
    execv("/proc/self/exe", argv);
}

}  // namespace tallimo::cli
