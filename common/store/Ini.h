#pragma once

#include <QString>

namespace tallimo {

// "Set.ini" beside the running program.
QString defaultIniPath();

// Empty when the key is blank, missing or empty, or on any error.
QString iniRead(const QString& section, const QString& key, const QString& file = defaultIniPath());
// Refuses (false, nothing written) when section, key or value is blank after trimming spaces.
bool iniWrite(const QString& section, const QString& key, const QString& value,
              const QString& file = defaultIniPath());
// True when the key was there and is removed; errors are ignored (false).
bool iniDelete(const QString& section, const QString& key, const QString& file = defaultIniPath());

}  // namespace tallimo
