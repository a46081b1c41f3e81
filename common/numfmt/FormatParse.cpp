#include "FormatSection.h"

#include <algorithm>

namespace tallimo::numfmt {
namespace {

bool isDigitSymbol(QChar c) {
    return c == u'0' || c == u'#' || c == u'?';
}

bool isDatePart(TokenKind k) {
    return k >= TokenKind::Year;
}

void addLiteral(std::vector<Token>& tokens, QStringView text) {
    if (!tokens.empty() && tokens.back().kind == TokenKind::Literal)
        tokens.back().text += text;
    else
        tokens.push_back({TokenKind::Literal, 0, 0, text.toString()});
}

qsizetype runLength(QStringView code, qsizetype at) {
    const QChar c = code[at].toLower();
    qsizetype n = 1;
    while (at + n < code.size() && code[at + n].toLower() == c)
        ++n;
    return n;
}

std::uint8_t clampWidth(qsizetype n, int low, int high) {
    return std::uint8_t(std::clamp(int(std::min<qsizetype>(n, high)), low, high));
}

bool parseCondition(QStringView inside, Condition& condition) {
    using Op = Condition::Op;
    struct Spelling {
        const char16_t* text;
        Op op;
    };
    // Two-character operators first, so "<=" is not read as "<".
    static const Spelling spellings[] = {{u"<=", Op::LessEqual}, {u">=", Op::GreaterEqual},
                                         {u"<>", Op::NotEqual},  {u"<", Op::Less},
                                         {u">", Op::Greater},    {u"=", Op::Equal}};
    for (const Spelling& s : spellings) {
        const QStringView op(s.text);
        if (!inside.startsWith(op)) continue;
        bool ok = false;
        const double operand = inside.mid(op.size()).trimmed().toDouble(&ok);
        if (!ok) return false;
        condition = {s.op, operand};
        return true;
    }
    return false;
}

// Chinese locales, by id (PRC, Taiwan, Hong Kong, Singapore, Macao) or by name (zh-CN).
bool isChineseLocale(QStringView locale) {
    if (locale.startsWith(u"zh", Qt::CaseInsensitive)) return true;
    bool ok = false;
    const uint id = locale.toUInt(&ok, 16) & 0xFFFF;
    return ok && (id & 0x3FF) == 0x04;
}

// [..] after the opening bracket at `at`; returns the position of the closing bracket.
qsizetype readBracket(QStringView code, qsizetype at, Section& section) {
    const qsizetype close = code.indexOf(u']', at);
    const qsizetype end = close < 0 ? code.size() : close;
    const QStringView inside = code.mid(at + 1, end - at - 1);
    if (inside.startsWith(u'$')) {
        // [$¥-804]: a currency symbol and a locale.
        const qsizetype dash = inside.indexOf(u'-');
        addLiteral(section.tokens, inside.mid(1, (dash < 0 ? inside.size() : dash) - 1));
        if (dash >= 0 && isChineseLocale(inside.mid(dash + 1))) section.chinese = true;
    } else if (inside.size() == 6 && inside.startsWith(u"DBNum", Qt::CaseInsensitive) &&
               inside[5] >= u'1' && inside[5] <= u'3') {
        section.numerals = std::uint8_t(inside[5].unicode() - u'0');
    } else if (!inside.isEmpty() && (inside[0] == u'<' || inside[0] == u'>' || inside[0] == u'=')) {
        parseCondition(inside, section.condition);
    } else if (!inside.isEmpty() &&
               std::all_of(inside.begin(), inside.end(),
                           [&](QChar c) { return c.toLower() == inside[0].toLower(); }) &&
               QStringView(u"hms").contains(inside[0].toLower())) {
        section.tokens.push_back({TokenKind::Elapsed,
                                  char16_t(inside[0].toLower().unicode()),
                                  clampWidth(inside.size(), 1, 10),
                                  {}});
    }
    // Colours ([Red], [Color12]) and other switches show as no text.
    return end;
}

// The date and time letters at `at`; false when the letter there is none of them.
bool readDatePart(QStringView code, qsizetype& at, std::vector<Token>& tokens) {
    const QChar c = code[at].toLower();
    const qsizetype n = runLength(code, at);
    const auto add = [&](TokenKind kind, std::uint8_t width, qsizetype consumed) {
        tokens.push_back({kind, 0, width, {}});
        at += consumed - 1;
    };
    const QStringView rest = code.mid(at);
    if (rest.startsWith(u"AM/PM", Qt::CaseInsensitive) ||
        rest.startsWith(u"A/P", Qt::CaseInsensitive)) {
        // AM/PM shows in capitals however it is written; A/P shows its letters as written.
        const bool longForm = rest.startsWith(u"AM/PM", Qt::CaseInsensitive);
        const QString marks = longForm ? u"AM/PM"_qs : rest.left(3).toString();
        tokens.push_back({TokenKind::AmPm, 0, 0, marks});
        at += marks.size() - 1;
        return true;
    }
    if (rest.startsWith(u"上午/下午")) {
        tokens.push_back({TokenKind::AmPm, 0, 0, u"上午/下午"_qs});
        at += 4;
        return true;
    }
    if (c == u'y') {
        add(TokenKind::Year, n <= 2 ? 2 : 4, n);
    } else if (c == u'e') {
        add(TokenKind::Year, 4, n);
    } else if (c == u'm') {
        if (n <= 2)
            add(TokenKind::Month, std::uint8_t(n), n);
        else
            add(TokenKind::MonthName, n == 3 ? 3 : n == 5 ? 5 : 4, n);
    } else if (c == u'd') {
        if (n <= 2)
            add(TokenKind::Day, std::uint8_t(n), n);
        else
            add(TokenKind::DayName, n == 3 ? 3 : 4, n);
    } else if (c == u'a' && n >= 3) {
        add(TokenKind::WeekdayChinese, n == 3 ? 3 : 4, n);
    } else if (c == u'h') {
        add(TokenKind::Hour, n == 1 ? 1 : 2, n);
    } else if (c == u's') {
        add(TokenKind::Second, n == 1 ? 1 : 2, n);
    } else {
        return false;
    }
    return true;
}

// The last token that is not text is of `kind`.
bool lastNonLiteralIs(const std::vector<Token>& tokens, TokenKind kind) {
    for (auto t = tokens.rbegin(); t != tokens.rend(); ++t)
        if (t->kind != TokenKind::Literal) return t->kind == kind;
    return false;
}

// A denominator (placeholders or digits) follows at `at`, perhaps after spaces and quoted text.
bool denominatorFollows(QStringView code, qsizetype at) {
    while (at < code.size()) {
        const QChar c = code[at];
        if (c == u' ') {
            ++at;
        } else if (c == u'"') {
            const qsizetype close = code.indexOf(u'"', at + 1);
            if (close < 0) return false;
            at = close + 1;
        } else if (c == u'\\') {
            at += 2;
        } else {
            return isDigitSymbol(c) || (c >= u'1' && c <= u'9');
        }
    }
    return false;
}

void tokenize(QStringView code, Section& section) {
    std::vector<Token>& tokens = section.tokens;
    for (qsizetype i = 0; i < code.size(); ++i) {
        const QChar c = code[i];
        if (c == u'"') {
            const qsizetype close = code.indexOf(u'"', i + 1);
            const qsizetype end = close < 0 ? code.size() : close;
            addLiteral(tokens, code.mid(i + 1, end - i - 1));
            i = end;
        } else if (c == u'\\' || c == u'!' || c == u'*') {
            // An escaped character; a fill character shows once.
            if (i + 1 < code.size()) addLiteral(tokens, code.mid(++i, 1));
        } else if (c == u'_') {
            // Room as wide as the next character: one space.
            addLiteral(tokens, u" ");
            ++i;
        } else if (c == u'[') {
            i = readBracket(code, i, section);
        } else if (isDigitSymbol(c)) {
            tokens.push_back({TokenKind::Digit, char16_t(c.unicode()), 0, {}});
        } else if (c == u'.') {
            tokens.push_back({TokenKind::Point, 0, 0, {}});
        } else if (c == u',') {
            tokens.push_back({TokenKind::Comma, 0, 0, {}});
        } else if (c == u'%') {
            section.scale += 2;
            addLiteral(tokens, u"%");
        } else if ((c == u'E' || c == u'e') && i + 1 < code.size() &&
                   (code[i + 1] == u'+' || code[i + 1] == u'-')) {
            tokens.push_back({TokenKind::Exponent, char16_t(code[i + 1].unicode()), 0, QString(c)});
            ++i;
        } else if (c == u'/' && lastNonLiteralIs(tokens, TokenKind::Digit) &&
                   denominatorFollows(code, i + 1)) {
            tokens.push_back({TokenKind::Slash, 0, 0, {}});
        } else if (c >= u'1' && c <= u'9' && lastNonLiteralIs(tokens, TokenKind::Slash)) {
            qsizetype end = i + 1;
            while (end < code.size() && code[end].isDigit())
                ++end;
            tokens.push_back({TokenKind::FixedDenominator, 0, 0, code.mid(i, end - i).toString()});
            i = end - 1;
        } else if (code.mid(i).startsWith(u"General", Qt::CaseInsensitive)) {
            tokens.push_back({TokenKind::General, 0, 0, {}});
            i += 6;
        } else if (code.mid(i).startsWith(u"G/通用格式", Qt::CaseInsensitive)) {
            // General as the Chinese edition writes it.
            tokens.push_back({TokenKind::General, 0, 0, {}});
            i += 5;
        } else if (c == u'@') {
            tokens.push_back({TokenKind::TextValue, 0, 0, {}});
        } else if (!readDatePart(code, i, tokens)) {
            addLiteral(tokens, code.mid(i, 1));
        }
    }
}

// The previous / next date part around `at`, skipping literals.
const Token* neighbourPart(const std::vector<Token>& tokens, std::size_t at, int step) {
    for (auto i = std::ptrdiff_t(at) + step; i >= 0 && i < std::ptrdiff_t(tokens.size()); i += step)
        if (isDatePart(tokens[std::size_t(i)].kind)) return &tokens[std::size_t(i)];
    return nullptr;
}

bool isHourPart(const Token* t) {
    return t &&
           (t->kind == TokenKind::Hour || (t->kind == TokenKind::Elapsed && t->symbol == u'h'));
}

bool isSecondPart(const Token* t) {
    return t &&
           (t->kind == TokenKind::Second || (t->kind == TokenKind::Elapsed && t->symbol == u's'));
}

bool isElapsedMinutes(const Token* t) {
    return t && t->kind == TokenKind::Elapsed && t->symbol == u'm';
}

// Number symbols inside a date section are literal text, except digits after the seconds'
// point, which are its decimals.
void finishDate(Section& section) {
    std::vector<Token> out;
    const std::vector<Token>& in = section.tokens;
    for (std::size_t i = 0; i < in.size(); ++i) {
        Token t = in[i];
        const Token* before = neighbourPart(in, i, -1);
        const Token* after = neighbourPart(in, i, +1);
        if (t.kind == TokenKind::Month && (isHourPart(before) || isSecondPart(after) ||
                                           isElapsedMinutes(before) || isElapsedMinutes(after)))
            t.kind = TokenKind::Minute;
        if (t.kind == TokenKind::Point && !out.empty() && isSecondPart(&out.back()) &&
            i + 1 < in.size() && in[i + 1].kind == TokenKind::Digit && in[i + 1].symbol == u'0') {
            int decimals = 0;
            while (i + 1 < in.size() && in[i + 1].kind == TokenKind::Digit &&
                   in[i + 1].symbol == u'0') {
                ++decimals;
                ++i;
            }
            section.secondDecimals = std::max(section.secondDecimals, std::min(decimals, 3));
            out.push_back({TokenKind::SecondFraction, 0, std::uint8_t(std::min(decimals, 3)), {}});
            continue;
        }
        switch (t.kind) {
            case TokenKind::Digit:
                addLiteral(out, QString(QChar(t.symbol)));
                continue;
            case TokenKind::Point:
                addLiteral(out, u".");
                continue;
            case TokenKind::Comma:
                addLiteral(out, u",");
                continue;
            case TokenKind::Slash:
                addLiteral(out, u"/");
                continue;
            case TokenKind::Exponent:
                addLiteral(out, t.text + QChar(t.symbol));
                continue;
            case TokenKind::FixedDenominator:
                addLiteral(out, t.text);
                continue;
            case TokenKind::Literal:
                addLiteral(out, t.text);
                continue;
            default:
                break;
        }
        if (t.kind == TokenKind::AmPm) section.twelveHour = true;
        if (t.kind == TokenKind::Elapsed) {
            section.elapsed = true;
            section.elapsedHours = section.elapsedHours || t.symbol == u'h';
            section.elapsedMinutes = section.elapsedMinutes || t.symbol == u'm';
            section.elapsedSeconds = section.elapsedSeconds || t.symbol == u's';
        }
        if (t.kind >= TokenKind::Year && t.kind <= TokenKind::WeekdayChinese)
            section.calendar = true;
        out.push_back(std::move(t));
    }
    section.tokens = std::move(out);
}

// Commas between integer digits group thousands; commas after the last digit of the integer
// or the decimals divide by a thousand each; others are text.
void resolveCommas(Section& section) {
    std::vector<Token> out;
    const std::vector<Token>& in = section.tokens;
    bool seenDigit = false, inDecimals = false;
    for (std::size_t i = 0; i < in.size(); ++i) {
        const TokenKind k = in[i].kind;
        if (k == TokenKind::Digit) seenDigit = true;
        if (k == TokenKind::Point) inDecimals = true;
        if (k == TokenKind::Exponent || k == TokenKind::Slash) inDecimals = false;
        if (k != TokenKind::Comma) {
            out.push_back(in[i]);
            continue;
        }
        bool digitFollows = false;
        for (std::size_t j = i + 1; j < in.size(); ++j) {
            const TokenKind n = in[j].kind;
            if (n == TokenKind::Digit) {
                digitFollows = true;
                break;
            }
            if (n == TokenKind::Point || n == TokenKind::Exponent || n == TokenKind::Slash) break;
        }
        if (!seenDigit)
            addLiteral(out, u",");
        else if (digitFollows)
            section.grouping = section.grouping || !inDecimals;
        else
            section.scale -= 3;
    }
    section.tokens = std::move(out);
}

}  // namespace

bool Condition::holds(double v) const {
    switch (op) {
        case Op::None:
            return true;
        case Op::Less:
            return v < operand;
        case Op::LessEqual:
            return v <= operand;
        case Op::Greater:
            return v > operand;
        case Op::GreaterEqual:
            return v >= operand;
        case Op::Equal:
            return v == operand;
        case Op::NotEqual:
            return v != operand;
    }
    return false;
}

bool Condition::onlyNegative() const {
    return (op == Op::Less && operand <= 0) || (op == Op::LessEqual && operand < 0) ||
           (op == Op::Equal && operand < 0);
}

Section compileSection(QStringView code) {
    Section section;
    tokenize(code, section);
    // A section of colours and conditions alone shows the number as General.
    if (section.tokens.empty() && !code.isEmpty())
        section.tokens.push_back({TokenKind::General, 0, 0, {}});
    const auto has = [&](TokenKind kind) {
        return std::any_of(section.tokens.begin(), section.tokens.end(),
                           [&](const Token& t) { return t.kind == kind; });
    };
    const bool date = std::any_of(section.tokens.begin(), section.tokens.end(),
                                  [](const Token& t) { return isDatePart(t.kind); });
    if (date) {
        section.type = SectionType::Date;
        section.scale = 0;
        finishDate(section);
        return section;
    }
    if (has(TokenKind::TextValue)) {
        section.type = SectionType::Text;
        return section;
    }
    resolveCommas(section);
    std::vector<char16_t>* part = &section.integerDigits;
    for (const Token& t : section.tokens) {
        if (t.kind == TokenKind::Point && part == &section.integerDigits)
            part = &section.decimalDigits;
        if (t.kind == TokenKind::Exponent) part = &section.exponentDigits;
        if (t.kind == TokenKind::Digit) part->push_back(t.symbol);
    }
    if (has(TokenKind::Exponent) && has(TokenKind::Digit))
        section.type = SectionType::Scientific;
    else if (has(TokenKind::Slash))
        section.type = SectionType::Fraction;
    return section;
}

}  // namespace tallimo::numfmt
