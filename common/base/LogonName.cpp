#include "LogonName.h"

#include <vector>

#include <pwd.h>
#include <unistd.h>

namespace tallimo {

QString loggedOnUserName() {
    long bufferSize = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(bufferSize > 0 ? size_t(bufferSize) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
        found->pw_name && found->pw_name[0])
        return QString::fromLocal8Bit(found->pw_name);
    char login[256] = {};
    if (::getlogin_r(login, sizeof login) == 0 && login[0]) return QString::fromLocal8Bit(login);
    return QStringLiteral("0");
}

}  // namespace tallimo
