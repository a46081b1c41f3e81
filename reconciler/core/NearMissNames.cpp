#include "NearMiss.h"

#include <QHash>

namespace tallimo::core::nearmiss {
namespace {

bool opensBracket(QChar c, QChar* closing) {
    static const QString opening = QStringLiteral("([{【〔《〈「『");
    static const QString closers = QStringLiteral(")]}】〕》〉」』");
    const qsizetype at = opening.indexOf(c);
    if (at < 0) return false;
    *closing = closers[at];
    return true;
}

// Letters and digits only, bracketed parts dropped (an unclosed bracket keeps what follows).
QString lettersOutsideBrackets(const QString& text) {
    QString kept;
    kept.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        QChar closing;
        if (opensBracket(text[i], &closing)) {
            const qsizetype end = text.indexOf(closing, i + 1);
            if (end > i) {
                i = end;
                continue;
            }
        }
        if (text[i].isLetterOrNumber()) kept.append(text[i]);
    }
    return kept;
}

}  // namespace

QString normaliseName(QStringView name) {
    static const QString memoWords[] = {QStringLiteral("转账"), QStringLiteral("网银"),
                                        QStringLiteral("汇款")};
    // Longest first, so 有限公司 is not left as 有限 after 公司 goes.
    static const QString endings[] = {QStringLiteral("股份有限公司"),
                                      QStringLiteral("有限责任公司"), QStringLiteral("有限公司"),
                                      QStringLiteral("集团"), QStringLiteral("公司")};
    QString text = lettersOutsideBrackets(
        name.toString().normalized(QString::NormalizationForm_KC).toCaseFolded());
    for (const QString& word : memoWords)
        text.remove(word);
    // A name that is nothing but an ending keeps it.
    for (bool stripped = true; stripped;) {
        stripped = false;
        for (const QString& ending : endings) {
            if (!text.endsWith(ending)) continue;
            if (text.size() > ending.size()) {
                text.chop(ending.size());
                stripped = true;
            }
            break;
        }
    }
    return text;
}

bool similarNormalisedNames(QStringView a, QStringView b) {
    if (a.isEmpty() || b.isEmpty()) return false;
    if (a == b) return true;
    // One character inside a name says nothing: 张 is in every 张 of the ledger.
    if (a.size() < 2 || b.size() < 2) return false;
    if (a.contains(b) || b.contains(a)) return true;
    QHash<QStringView, int> bigrams;
    for (qsizetype i = 0; i + 1 < a.size(); ++i)
        ++bigrams[a.mid(i, 2)];
    qsizetype shared = 0;
    for (qsizetype i = 0; i + 1 < b.size(); ++i) {
        auto it = bigrams.find(b.mid(i, 2));
        if (it != bigrams.end() && it.value() > 0) {
            --it.value();
            ++shared;
        }
    }
    // Dice >= 0.8, in integers
    return 2 * shared * 5 >= 4 * ((a.size() - 1) + (b.size() - 1));
}

}  // namespace tallimo::core::nearmiss
