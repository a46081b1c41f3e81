#pragma once

#include "FormatSection.h"

#include <QString>
#include <QStringView>
#include <vector>

namespace tallimo::numfmt {

// A number format code compiled once, giving the text a spreadsheet shows for a number or a
// text under it: up to four sections (positive; negative; zero; text) or conditions, colours
// (shown as no text), literals, padding, fill, grouping and scaling, percent, scientific,
// fractions, dates and times in the 1900 date system, elapsed times, Chinese numerals
// ([DBNum1] to [DBNum3]) and General.
class FormatCode {
public:
    FormatCode() : FormatCode(QStringView()) {}
    explicit FormatCode(QStringView code);

    QString formatNumber(double value) const;
    // A text goes through the text section; without one it shows as it stands.
    QString formatText(const QString& text) const;

    bool isGeneral() const { return general_; }
    // Numbers show as calendar dates (a year, a month or a day): the values a workbook's date
    // system moves. Times of day and elapsed times are the same in either system.
    bool showsCalendarDate() const;

private:
    const Section* numberSection(double value, bool& showSign) const;

    std::vector<Section> sections_;
    int numberSections_ = 0;  // sections before the text section
    int textSection_ = -1;
    bool general_ = true;
};

// The General form: integers without decimals, at most 15 significant digits, exponents as
// 1E+20 / 1.5E-10.
QString generalText(double value);

// The format code of a built-in number format id in the Chinese (PRC) locale ("yyyy/m/d" for
// 14, "¥" currencies); empty for ids without one, which show as General.
QString builtinFormatCode(int id);

// The format a date value without its own format shows in: date only, date and time, or time
// only, to the second when it has seconds.
QString defaultDateFormat(double serial);

}  // namespace tallimo::numfmt
