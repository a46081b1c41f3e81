#include "FormatCode.h"

#include <algorithm>
#include <cmath>

namespace tallimo::numfmt {
namespace {

constexpr int kMaxSections = 4;
// Spreadsheets write codes of at most 255 characters; a far longer one comes from a damaged or
// hostile file and would make every cell's text as long, so it shows General.
constexpr qsizetype kMaxCodeLength = 1024;

// The sections of a code, split at ';' outside quotes, escapes and brackets.
std::vector<QStringView> splitSections(QStringView code) {
    std::vector<QStringView> parts;
    qsizetype start = 0;
    for (qsizetype i = 0; i < code.size(); ++i) {
        const QChar c = code[i];
        if (c == u'"') {
            const qsizetype close = code.indexOf(u'"', i + 1);
            i = close < 0 ? code.size() : close;
        } else if (c == u'\\' || c == u'!' || c == u'_' || c == u'*') {
            ++i;
        } else if (c == u'[') {
            const qsizetype close = code.indexOf(u']', i);
            i = close < 0 ? code.size() : close;
        } else if (c == u';') {
            parts.push_back(code.mid(start, i - start));
            start = i + 1;
        }
    }
    parts.push_back(code.mid(start));
    return parts;
}

bool containsDigitOrGeneral(const Section& s) {
    return std::any_of(s.tokens.begin(), s.tokens.end(), [](const Token& t) {
        return t.kind == TokenKind::Digit || t.kind == TokenKind::General;
    });
}

QString render(const Section& section, double magnitude) {
    if (section.type == SectionType::Date) return renderDate(section, magnitude);
    if (section.scale > 0) magnitude *= std::pow(10.0, section.scale);
    if (section.scale < 0) magnitude /= std::pow(10.0, -section.scale);
    if (!std::isfinite(magnitude)) return u"#NUM!"_qs;
    switch (section.type) {
        case SectionType::Scientific:
            return renderScientific(section, magnitude);
        case SectionType::Fraction:
            return renderFraction(section, magnitude);
        default:
            return renderNumber(section, magnitude);
    }
}

// The system's long date and time ([$-F800] or [$-x-sysdate], [$-F400] or [$-x-systime]) show
// as the Chinese (PRC) desktop shows them, whatever the rest of the code says.
QStringView systemFormat(QStringView code) {
    if (code.contains(u"[$-F800]", Qt::CaseInsensitive) ||
        code.contains(u"[$-x-sysdate]", Qt::CaseInsensitive))
        return u"yyyy\"年\"m\"月\"d\"日\"";
    if (code.contains(u"[$-F400]", Qt::CaseInsensitive) ||
        code.contains(u"[$-x-systime]", Qt::CaseInsensitive))
        return u"h:mm:ss";
    return code;
}

}  // namespace

FormatCode::FormatCode(QStringView written) {
    if (written.isEmpty() || written.size() > kMaxCodeLength ||
        written.compare(u"General", Qt::CaseInsensitive) == 0)
        return;
    general_ = false;
    const QStringView code = systemFormat(written);
    std::vector<QStringView> parts = splitSections(code);
    if (parts.size() > kMaxSections) parts.resize(kMaxSections);
    for (QStringView part : parts)
        sections_.push_back(compileSection(part));
    // The fourth section, or a last section holding @, is for texts.
    const auto count = int(sections_.size());
    if (count == kMaxSections || sections_.back().type == SectionType::Text)
        textSection_ = count - 1;
    numberSections_ = textSection_ >= 0 ? textSection_ : count;
}

const Section* FormatCode::numberSection(double value, bool& showSign) const {
    const int n = numberSections_;
    const Section& first = sections_[0];
    const bool conditional = first.condition.op != Condition::Op::None ||
                             (n >= 2 && sections_[1].condition.op != Condition::Op::None);
    showSign = false;
    if (!conditional) {
        if (n == 1 || (value >= 0 && (n == 2 || value > 0))) {
            showSign = value < 0;
            return &first;
        }
        if (value < 0) return &sections_[1];
        return &sections_[2];
    }
    // With conditions: the first section whose condition holds; a section without one takes
    // what is left (the second: negatives when a third follows). Null for General.
    const auto take = [&](int i) {
        const Section& s = sections_[std::size_t(i)];
        showSign = value < 0 && !s.condition.onlyNegative();
        return &s;
    };
    if (first.condition.op == Condition::Op::None ? value >= 0 : first.condition.holds(value))
        return take(0);
    // A lone section whose condition does not hold leaves the number to General.
    if (n == 1) return nullptr;
    if (n >= 2) {
        const Section& second = sections_[1];
        const bool holds = second.condition.op != Condition::Op::None
                               ? second.condition.holds(value)
                               : n == 2 || value < 0;
        if (holds) return take(1);
    }
    return take(n >= 3 ? 2 : n - 1);
}

QString FormatCode::formatNumber(double value) const {
    if (!std::isfinite(value)) return u"#NUM!"_qs;
    if (general_ || numberSections_ == 0) return generalText(value);
    bool showSign = false;
    const Section* chosen = numberSection(value, showSign);
    if (!chosen) return generalText(value);
    const Section& section = *chosen;
    if (section.type == SectionType::Date) {
        if (value < 0) return QString(8, u'#');
        return renderDate(section, value);
    }
    if (section.type == SectionType::Text) return renderText(section, generalText(value));
    const QString text = render(section, std::fabs(value));
    // A negative that rounds to zero shows no minus sign.
    const bool showsNonZero =
        std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c >= u'1' && c <= u'9'; });
    const bool signed_ = showSign && (showsNonZero || !containsDigitOrGeneral(section));
    const QString shown = section.numerals ? chineseNumerals(text, section.numerals) : text;
    return signed_ ? u'-' + shown : shown;
}

QString FormatCode::formatText(const QString& text) const {
    if (textSection_ < 0) return text;
    return renderText(sections_[std::size_t(textSection_)], text);
}

bool FormatCode::showsCalendarDate() const {
    return !sections_.empty() && sections_[0].type == SectionType::Date && sections_[0].calendar &&
           !sections_[0].elapsed;
}

QString defaultDateFormat(double serial) {
    const double day = std::floor(serial);
    const auto seconds = std::llround((serial - day) * 86400);
    const bool hasTime = seconds != 0 && seconds != 86400;
    const QString time = seconds % 60 != 0 ? u"h:mm:ss"_qs : u"h:mm"_qs;
    if (!hasTime) return u"yyyy/m/d"_qs;
    return day == 0 ? time : u"yyyy/m/d "_qs + time;
}

}  // namespace tallimo::numfmt
