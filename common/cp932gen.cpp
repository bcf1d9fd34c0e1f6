// Builds the tables of code page 932 at build time, from Qt's own codec
// (ICU in Debian's Qt), and writes them as C++: the program then never loads
// the codec at run time, and a Qt build without it fails here, not on a
// user's desktop.
//   cp932gen <output.cpp>
#include "cp932tables.h"

#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>

#include <array>
#include <cstdio>
#include <memory>

namespace {

using cp932::tables::isLead;
using cp932::tables::isTrail;

constexpr char16_t Invalid = QChar::ReplacementCharacter;
constexpr quint16 NoCode = 0xFFFF; // no lead byte is FF

// Windows' table, asked of the codec once for every byte pair and every
// character.
struct DecodeTable
{
    std::array<char16_t, 256> single{};
    std::array<char16_t, 64 * 256> pair{}; // (lead - 0x81 or lead - 0xE0 + 0x1F) * 256 + trail

    static int pairIndex(uchar lead, uchar trail) { return cp932::tables::pairIndex(lead, trail); }

    DecodeTable()
    {
        // Every valid pair, each behind a line feed (never part of a pair),
        // in one call to the codec.
        QByteArray pairs;
        for (int lead = 0x81; lead <= 0xFC; ++lead) {
            if (!isLead(uchar(lead)))
                continue;
            for (int trail = 0x40; trail <= 0xFC; ++trail)
                if (isTrail(uchar(trail)))
                    pairs += char(lead), pairs += char(trail), pairs += '\n';
        }
        const QString decoded = QStringDecoder("CP932", QStringDecoder::Flag::Stateless)(pairs);
        pair.fill(Invalid);
        qsizetype at = 0;
        for (qsizetype i = 0; i < pairs.size(); i += 3) {
            const qsizetype end = decoded.indexOf(u'\n', at);
            const QStringView one = QStringView(decoded).mid(at, end - at);
            at = end + 1;
            // The codec answers an unassigned pair with U+FFFD, U+001A, or
            // two characters for the two bytes.
            if (one.size() == 1 && one[0] != u'\x1a' && one[0] != Invalid)
                pair[size_t(pairIndex(uchar(pairs[i]), uchar(pairs[i + 1])))] = one[0].unicode();
        }

        // Single bytes: ASCII as it stands (the codec's table swaps some
        // control codes, Windows does not), half-width katakana from the
        // codec, and the bytes Windows keeps as private characters.
        single.fill(Invalid);
        for (int b = 0; b < 0x80; ++b)
            single[size_t(b)] = char16_t(b);
        QByteArray kana;
        for (int b = 0xA1; b <= 0xDF; ++b)
            kana += char(b);
        const QString kanaText = QStringDecoder("CP932", QStringDecoder::Flag::Stateless)(kana);
        for (int b = 0xA1; b <= 0xDF && b - 0xA1 < kanaText.size(); ++b)
            single[size_t(b)] = kanaText[b - 0xA1].unicode();
        single[0x80] = 0x0080;
        single[0xA0] = 0xF8F0;
        single[0xFD] = 0xF8F1;
        single[0xFE] = 0xF8F2;
        single[0xFF] = 0xF8F3;
    }
};

struct EncodeTable
{
    std::array<quint16, 0x10000> code{}; // a character's bytes: < 0x100 single, else lead-trail

    // As the codec writes each character; where two code points hold one
    // character, its choice is the one Windows makes.
    explicit EncodeTable(const DecodeTable &d)
    {
        const auto &single = d.single;
        const auto &pair = d.pair;
        code.fill(NoCode);
        QString all;
        all.reserve(2 * 0x10000);
        for (int c = 0x80; c < 0x10000; ++c) {
            if (QChar::isSurrogate(char32_t(c)))
                continue;
            all += QChar(char16_t(c));
            all += u'\n';
        }
        const QByteArray bytes = QStringEncoder("CP932", QStringEncoder::Flag::Stateless)(all);
        qsizetype from = 0;
        for (qsizetype i = 0; i < all.size(); i += 2) {
            const qsizetype end = bytes.indexOf('\n', from);
            const QByteArrayView one = QByteArrayView(bytes).sliced(from, end - from);
            from = end + 1;
            const char16_t c = all[i].unicode();
            if (c == Invalid)
                continue; // what could not be read goes back as '?'
            // Nothing (a character the codec drops) and FC FC (its mark for
            // what does not map) leave the character without a code.
            if (one.size() == 1 && single[uchar(one[0])] == c)
                code[c] = uchar(one[0]);
            else if (one.size() == 2 && isLead(uchar(one[0])) && isTrail(uchar(one[1])) &&
                     pair[size_t(DecodeTable::pairIndex(uchar(one[0]), uchar(one[1])))] == c)
                code[c] = quint16(uchar(one[0]) << 8 | uchar(one[1]));
        }
        for (int b = 0; b < 0x80; ++b)
            code[size_t(b)] = quint16(b);
        for (int b : {0x80, 0xA0, 0xFD, 0xFE, 0xFF})
            code[single[size_t(b)]] = quint16(b);
        // Characters other systems type where Japanese Windows has its own
        // code point: they reach a peer as the same glyph.
        const std::pair<char16_t, char16_t> windowsForms[] = {
            {0x301C, 0xFF5E}, // wave dash
            {0x2212, 0xFF0D}, // minus sign
            {0x2016, 0x2225}, // double vertical line
            {0x2014, 0x2015}, // em dash
            {0x00A2, 0xFFE0}, // cent
            {0x00A3, 0xFFE1}, // pound
            {0x00AC, 0xFFE2}, // not
        };
        for (auto [other, windows] : windowsForms)
            code[other] = code[windows];
        // Japanese Windows shows 5C and 7E as the yen sign and the overline.
        code[0x00A5] = 0x5C;
        code[0x203E] = 0x7E;
    }
};

template<typename T, size_t N>
QByteArray array(const char *type, const char *name, const std::array<T, N> &values)
{
    QByteArray out = QByteArray("const ") + type + " " + name + "[" + QByteArray::number(qulonglong(N)) +
                     "] = {";
    for (size_t i = 0; i < N; ++i)
        out += (i % 16 == 0 ? "\n    " : " ") + QByteArray::number(values[i]) + ',';
    return out + "\n};\n";
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 2)
        return 2;
    if (!QStringDecoder("CP932").isValid() || !QStringEncoder("CP932").isValid()) {
        std::fprintf(stderr, "cp932gen: this Qt has no CP932 (Shift_JIS) codec\n");
        return 1;
    }
    const auto decode = std::make_unique<DecodeTable>();
    const auto encode = std::make_unique<EncodeTable>(*decode);
    QByteArray out = "// Made by cp932gen from Qt's CP932 codec; do not edit.\n"
                     "#include \"cp932tables.h\"\n\nnamespace cp932::tables {\n\n";
    out += array("char16_t", "single", decode->single);
    out += array("char16_t", "pair", decode->pair);
    out += array("quint16", "code", encode->code);
    out += "\n} // namespace cp932::tables\n";
    QFile f(QString::fromLocal8Bit(argv[1]));
    if (!f.open(QIODevice::WriteOnly) || f.write(out) != out.size() || !f.flush())
        return 1;
    return 0;
}
