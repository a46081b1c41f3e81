#pragma once

#include <QString>

namespace tallimo {

// The user's own "Set.ini", beside the settings tree. A readable "Set.ini" that an earlier install
// kept in the program folder (Data/) starts it, once.
QString defaultIniPath();
// The same, started once from the given file of an earlier install.
QString userIniPath(const QString& earlierInstallIni);

// Empty when the key is blank, missing or empty, or on any error.
QString iniRead(const QString& section, const QString& key, const QString& file = defaultIniPath());
// Refuses (false, nothing written) when section, key or value is blank after trimming spaces.
bool iniWrite(const QString& section, const QString& key, const QString& value,
              const QString& file = defaultIniPath());
// As iniWrite, but a write that fails throws SettingsError naming the file and the reason.
void iniWriteOrThrow(const QString& section, const QString& key, const QString& value,
                     const QString& file = defaultIniPath());
// True when the key was there and is removed; errors are ignored (false).
bool iniDelete(const QString& section, const QString& key, const QString& file = defaultIniPath());

}  // namespace tallimo
