#include "Commands.h"

#include "Settings.h"

namespace tallimo::addin {

int runSettings(const QStringList& args) {
    const QString verb = args.value(0);
    try {
        if (verb == u"get" && args.size() == 3) {
            if (const auto value = settingsFind(args[1], args[2])) printLine(*value);
            return kExitOk;
        }
        if (verb == u"set" && args.size() == 4) {
            settingsSave(args[1], args[2], args[3]);
            return kExitOk;
        }
        if (verb == u"delete" && args.size() == 2) {
            settingsDelete(args[1]);
            return kExitOk;
        }
        if (verb == u"delete" && args.size() == 3) {
            settingsDelete(args[1], args[2]);
            return kExitOk;
        }
    } catch (const SettingsError& error) {
        return failWith(QString::fromStdString(error.what()));
    }
    return usageError();
}

}  // namespace tallimo::addin
