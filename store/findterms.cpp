#include "findterms.h"

#include "records.h"

#include <QSet>
#include <QStringList>

namespace findterms {

namespace {

// A term is written in hex digits, which every tokenizer keeps whole.
void hex(QString &out, char32_t c)
{
    static const char digits[] = "0123456789abcdef";
    for (int shift = 20; shift >= 0; shift -= 4)
        out += QLatin1Char(digits[(c >> shift) & 0xf]);
}

void addTerms(QSet<QString> &set, const QString &folded)
{
    const QList<uint> cps = folded.toUcs4();
    for (qsizetype i = 0; i < cps.size(); ++i) {
        QString one;
        hex(one, cps[i]);
        if (i + 1 < cps.size()) {
            QString two = one;
            hex(two, cps[i + 1]);
            set.insert(two);
        }
        set.insert(one);
    }
}

} // namespace

QString fold(const QString &text)
{
    return text.normalized(QString::NormalizationForm_KC).toCaseFolded();
}

QString terms(const QString &sender, const QString &recipient, const QString &message)
{
    // Each field on its own: no pair spans two of them.
    QSet<QString> set;
    addTerms(set, fold(sender));
    addTerms(set, fold(recipient));
    addTerms(set, fold(message));
    QString out;
    out.reserve(set.size() * 13);
    for (const QString &t : set) {
        if (!out.isEmpty())
            out += u' ';
        out += t;
    }
    return out;
}

QString match(const QString &foldedWord)
{
    const QList<uint> cps = foldedWord.toUcs4();
    QStringList parts;
    if (cps.size() == 1) {
        QString one;
        hex(one, cps[0]);
        parts << one;
    }
    for (qsizetype i = 0; i + 1 < cps.size(); ++i) {
        QString two;
        hex(two, cps[i]);
        hex(two, cps[i + 1]);
        if (!parts.contains(two))
            parts << two;
    }
    return parts.join(QStringLiteral(" AND "));
}

bool exact(const QString &foldedWord)
{
    return foldedWord.toUcs4().size() <= 2;
}

bool contains(const HistoryRow &row, const QString &foldedWord)
{
    return fold(row.message).contains(foldedWord) || fold(row.sender).contains(foldedWord) ||
           fold(row.recipient).contains(foldedWord);
}

} // namespace findterms
