#include "cp932.h"

#include "cp932tables.h"

namespace cp932 {
namespace {

using tables::isLead;
using tables::isTrail;
using tables::pairIndex;

constexpr char16_t Invalid = QChar::ReplacementCharacter;
constexpr quint16 NoCode = 0xFFFF; // no lead byte is FF

} // namespace

// Decoding and encoding are one look-up a character in the tables built
// with the program, whatever the bytes: a run of stray bytes costs what
// well-formed text costs.
QString decode(QByteArrayView bytes)
{
    QString out(bytes.size(), Qt::Uninitialized);
    char16_t *o = reinterpret_cast<char16_t *>(out.data());
    qsizetype n = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = uchar(bytes[i]);
        // A lead byte without its trail (a stray byte, or cut off at the
        // end) is one U+FFFD; the byte after it is read afresh.
        if (isLead(b) && i + 1 < bytes.size() && isTrail(uchar(bytes[i + 1]))) {
            o[n++] = tables::pair[pairIndex(b, uchar(bytes[i + 1]))];
            ++i;
        } else {
            o[n++] = isLead(b) ? Invalid : tables::single[b];
        }
    }
    out.truncate(n);
    return out;
}

QByteArray encode(QStringView text)
{
    QByteArray out;
    out.reserve(text.size() * 2);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        // One character, one '?': a pair of surrogates is one character.
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        const quint16 code = QChar::isSurrogate(c) ? NoCode : tables::code[c];
        if (code == NoCode)
            out += '?';
        else if (code < 0x100)
            out += char(code);
        else
            out += char(code >> 8), out += char(code & 0xFF);
    }
    return out;
}

} // namespace cp932
