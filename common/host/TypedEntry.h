#pragma once

#include <QString>
#include <QStringView>
#include <optional>

namespace tallimo::host {

// A number that someone typed, with the number format that keeps it shown as written.
struct TypedNumber {
    double value = 0;
    QString numberFormat;  // empty: General
};

// The typed-entry rule: a text that reads as a plain decimal number (optional sign, digits with
// or without correctly placed "," group separators, optional decimals, surrounding spaces)
// becomes that number; its number format keeps it shown as written: "1,200.00" gets
// "#,##0.00", "1,200" "#,##0", "12.50" "0.00", "12.5" General. Everything else stays text
// (nullopt), in particular numbers with leading zeros ("00123"), more than 15 significant
// digits (account and identity numbers), dates ("2016-01-05"), percentages and exponents.
std::optional<TypedNumber> typedNumber(QStringView text);

// Appends what a new cell of the General format shows once `text` is typed into it: the text as
// it stands, or the number in the number format typed entry gives it ("+7" shows "7", ".5"
// "0.5"). Most numbers show as written, and those cost no allocation.
void appendTypedDisplayText(QString& out, QStringView text);

}  // namespace tallimo::host
