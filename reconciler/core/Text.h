#pragma once

#include <QStringView>

namespace tallimo::core {

// Leading and trailing spaces only: tabs and other blanks are part of a key.
inline QStringView trimSpaces(QStringView text) {
    qsizetype begin = 0, end = text.size();
    while (begin < end && text[begin] == u' ')
        ++begin;
    while (end > begin && text[end - 1] == u' ')
        --end;
    return text.mid(begin, end - begin);
}

}  // namespace tallimo::core
