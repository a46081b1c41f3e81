// Writes many entries from its own process, so that the tests can race two writers:
//   tallimo_store_writer settings PREFIX COUNT
//   tallimo_store_writer ini FILE PREFIX COUNT
#include "Ini.h"
#include "Settings.h"
#include "StoreTestSupport.h"

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    using namespace tallimo;
    try {
        if (argc == 4 && std::strcmp(argv[1], "settings") == 0) {
            const QString prefix = QString::fromLocal8Bit(argv[2]);
            for (int i = 0, n = std::atoi(argv[3]); i < n; ++i) {
                const QString key = test::writerKey(prefix, i);
                settingsSave(test::kWriterSection, key, test::writerValue(key));
            }
            return 0;
        }
        if (argc == 5 && std::strcmp(argv[1], "ini") == 0) {
            const QString file = QString::fromLocal8Bit(argv[2]);
            const QString prefix = QString::fromLocal8Bit(argv[3]);
            for (int i = 0, n = std::atoi(argv[4]); i < n; ++i) {
                const QString key = test::writerKey(prefix, i);
                if (!iniWrite(test::kWriterSection, key, key, file)) return 1;
            }
            return 0;
        }
    } catch (const SettingsError& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    std::fprintf(stderr,
                 "usage: tallimo_store_writer settings PREFIX COUNT | ini FILE PREFIX COUNT\n");
    return 2;
}
