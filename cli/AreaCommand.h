#pragma once

#include <QStringList>
#include <cstdio>

namespace tallimo::cli {

// `tallimo-cli area`: writes the selection text of an area to `out` as UTF-8, byte for byte what
// the add-in puts on the clipboard, so that users and scripts see what the programs compare.
// Messages and notes go to `err`. Returns the exit code.
int runAreaCommand(const QStringList& arguments, std::FILE* out, std::FILE* err);

}  // namespace tallimo::cli
