#include "Commands.h"

#include "Ini.h"
#include "Settings.h"

namespace tallimo::addin {

int runIni(const QStringList& arguments) {
    QStringList args = arguments;
    // The programs' "Set.ini" is the user's own.
    QString file = defaultIniPath();
    if (const qsizetype at = args.indexOf(u"--file"); at >= 0) {
        if (at + 1 >= args.size()) return usageError();
        file = args[at + 1];
        args.remove(at, 2);
    }
    const QString verb = args.value(0);
    if (verb == u"get" && args.size() == 3) {
        if (const QString value = iniRead(args[1], args[2], file); !value.isEmpty())
            printLine(value);
        return kExitOk;
    }
    if (verb == u"set" && args.size() == 4) {
        try {
            iniWriteOrThrow(args[1], args[2], args[3], file);
        } catch (const SettingsError& error) {
            return failWith(QString::fromUtf8(error.what()));
        }
        return kExitOk;
    }
    if (verb == u"delete" && args.size() == 3) {
        if (!iniDelete(args[1], args[2], file))
            return failWith(QStringLiteral("\"") + file + QStringLiteral("\" has no ") + args[1] +
                            QStringLiteral("\\") + args[2]);
        return kExitOk;
    }
    return usageError();
}

}  // namespace tallimo::addin
