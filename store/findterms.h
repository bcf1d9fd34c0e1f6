#pragma once

#include <QSet>
#include <QString>

struct HistoryRow;

// How a row is found by any part of its text. Japanese has no spaces
// between words, so the index holds every character and every pair of
// neighbouring characters of the sender, the recipient and the message,
// folded as the user may type them (half- and full-width forms alike,
// ASCII case alike). A word of one or two characters is then one term; a
// longer one is all of its pairs, and the rows they find are checked.
namespace findterms {

// Width and case as the index keeps them.
QString fold(const QString &text);
// The row's terms, as the index's tokenizer splits them (by spaces).
QString terms(const QString &sender, const QString &recipient, const QString &message);
// The same in two steps, for a row whose recipient changes: its other
// texts are folded once.
QSet<quint64> termSet(const QString &sender, const QString &message);
QString terms(QSet<quint64> set, const QString &recipient);
// What the index is asked for a folded word; empty: the word has no characters.
QString match(const QString &foldedWord);
// The index alone answers for this word: no row it finds needs checking.
bool exact(const QString &foldedWord);
// The row shows the folded word in its sender, recipient or message.
bool contains(const HistoryRow &row, const QString &foldedWord);

} // namespace findterms
