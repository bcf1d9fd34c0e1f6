#include "findterms.h"

#include "records.h"

#include <QSet>
#include <QStringList>

namespace findterms {

namespace {

// A term as a number: a character, or a pair (flagged above both).
constexpr quint64 PairFlag = quint64(1) << 42;

// A term is written in hex digits, which every tokenizer keeps whole.
void hex(QString &out, char32_t c)
{
    static const char digits[] = "0123456789abcdef";
    for (int shift = 20; shift >= 0; shift -= 4)
        out += QLatin1Char(digits[(c >> shift) & 0xf]);
}

void write(QString &out, quint64 term)
{
    if (term & PairFlag)
        hex(out, char32_t((term >> 21) & 0x1fffff));
    hex(out, char32_t(term & 0x1fffff));
}

void addTerms(QSet<quint64> &set, const QString &folded)
{
    // A long message repeats its characters: the set stays small.
    char32_t previous = 0;
    bool first = true;
    for (const char32_t c : folded.toUcs4()) {
        set.insert(c);
        if (!first)
            set.insert(PairFlag | (quint64(previous) << 21) | c);
        previous = c;
        first = false;
    }
}

} // namespace

QString fold(const QString &text)
{
    return text.normalized(QString::NormalizationForm_KC).toCaseFolded();
}

QSet<quint64> termSet(const QString &sender, const QString &message)
{
    // Each field on its own: no pair spans two of them.
    QSet<quint64> set;
    addTerms(set, fold(sender));
    addTerms(set, fold(message));
    return set;
}

QString terms(const QString &sender, const QString &recipient, const QString &message)
{
    return terms(termSet(sender, message), recipient);
}

QString terms(QSet<quint64> set, const QString &recipient)
{
    addTerms(set, fold(recipient));
    QString out;
    out.reserve(set.size() * 13);
    for (const quint64 t : set) {
        if (!out.isEmpty())
            out += u' ';
        write(out, t);
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
