#include "cp932.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>

namespace cp932 {
namespace {

bool isLead(uchar b)
{
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

bool isTrail(uchar b)
{
    return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
}

bool isSingle(uchar b)
{
    return b < 0x80 || (b >= 0xA1 && b <= 0xDF);
}

// The codec's table swaps these control codes (an IBM habit); Windows keeps
// them as they are, so they are mapped here.
bool isSwappedControl(char16_t c)
{
    return c == 0x1A || c == 0x1C || c == 0x7F;
}

// The codec substitutes what it cannot encode with the unassigned pair FC FC.
constexpr char Unmappable[] = "\xFC\xFC";

QString rawDecode(QByteArrayView bytes)
{
    QStringDecoder decoder("CP932", QStringDecoder::Flag::Stateless);
    return decoder.decode(bytes);
}

QByteArray rawEncode(QStringView text)
{
    QStringEncoder encoder("CP932", QStringEncoder::Flag::Stateless);
    return encoder.encode(text);
}

// Characters that other systems use where Japanese Windows has its own
// code point: typed on Linux, they still reach a peer as the same glyph.
QString toWindowsForms(QStringView text)
{
    QString out = text.toString();
    for (QChar &c : out) {
        switch (c.unicode()) {
        case 0x301C:
            c = QChar(0xFF5E);
            break; // wave dash
        case 0x2212:
            c = QChar(0xFF0D);
            break; // minus sign
        case 0x2016:
            c = QChar(0x2225);
            break; // double vertical line
        case 0x2014:
            c = QChar(0x2015);
            break; // em dash
        case 0x00A2:
            c = QChar(0xFFE0);
            break; // cent
        case 0x00A3:
            c = QChar(0xFFE1);
            break; // pound
        case 0x00AC:
            c = QChar(0xFFE2);
            break; // not
        default:
            break;
        }
    }
    return out;
}

} // namespace

bool available()
{
    return QStringDecoder("CP932").isValid() && QStringEncoder("CP932").isValid();
}

QString decode(QByteArrayView bytes)
{
    // The codec would turn a stray byte into U+001A (indistinguishable from
    // a real 0x1A) and drop a lead byte cut off at the end; those bytes are
    // found here and become U+FFFD, and only well-formed runs reach it.
    QString out;
    out.reserve(bytes.size());
    qsizetype runStart = 0;
    qsizetype i = 0;
    const auto flush = [&](qsizetype end) {
        if (end > runStart)
            out += rawDecode(bytes.sliced(runStart, end - runStart));
    };
    while (i < bytes.size()) {
        const auto b = uchar(bytes[i]);
        if (isSwappedControl(b)) {
            flush(i);
            out += QChar(char16_t(b));
            runStart = ++i;
        } else if (isSingle(b)) {
            ++i;
        } else if (isLead(b) && i + 1 < bytes.size() && isTrail(uchar(bytes[i + 1]))) {
            i += 2;
        } else {
            flush(i);
            out += QChar(QChar::ReplacementCharacter);
            runStart = ++i;
        }
    }
    flush(i);
    return out;
}

QByteArray encode(QStringView text)
{
    const QString windows = toWindowsForms(text);
    QByteArray out = rawEncode(windows);
    const bool swapped = std::any_of(windows.cbegin(), windows.cend(),
                                     [](QChar c) { return isSwappedControl(c.unicode()); });
    if (!swapped && !out.contains(Unmappable))
        return out;
    // Something did not map: character by character, '?' for those, as
    // Windows writes them.
    out.clear();
    for (qsizetype i = 0; i < windows.size(); ++i) {
        if (isSwappedControl(windows[i].unicode())) {
            out += char(windows[i].unicode());
            continue;
        }
        const qsizetype len = windows[i].isHighSurrogate() && i + 1 < windows.size() ? 2 : 1;
        const QByteArray one = rawEncode(QStringView(windows).sliced(i, len));
        out += one == Unmappable || one.isEmpty() ? QByteArray("?") : one;
        i += len - 1;
    }
    return out;
}

} // namespace cp932
