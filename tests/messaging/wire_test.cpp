// The datagrams as a peer sees them: bytes built, kinds told apart, fields read.
#include "cp932.h"
#include "fakes.h"
#include "fieldtext.h"
#include "wire.h"

#include <QTest>

using wire::Kind;
Q_DECLARE_METATYPE(wire::Kind)

namespace {
QByteArray hex(const char *h)
{
    return QByteArray::fromHex(h);
}
} // namespace

class WireTest : public QObject
{
    Q_OBJECT
private slots:
    void builtBytes_data();
    void builtBytes();
    void classify_data();
    void classify();
    void everyKindRoundTrips();
    void readsFieldsWithinBounds();
    void historyReference_data();
    void historyReference();
    void codePage932();
    void everySequenceRoundTrips();
    void everyCharacterKeepsItsPlace_data();
    void everyCharacterKeepsItsPlace();
};

void WireTest::builtBytes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");

    const QByteArray name = hex("8e529363") + QByteArray(18, ' '); // 山田
    QTest::addRow("ack") << wire::ack(QStringLiteral("山田"))
                         << hex("9197904d202020202020202020") + name;
    QTest::addRow("ack keeps an inner space")
        << wire::ack(QStringLiteral("Taro Yamada"))
        << hex("9197904d202020202020202020") + QByteArray("Taro Yamada         ");
    QTest::addRow("reject") << wire::reject() << hex("4f544845529197904d");
    QTest::addRow("open confirmation")
        << wire::openConfirm(QStringLiteral("山田"), wire::refField(3))
        << hex("4f70656e8a6d94462020202020") + name + "3       ";
    QTest::addRow("hold") << wire::hold(QStringLiteral("山田"))
                          << hex("95db97af202020202020202020") + name;
    QTest::addRow("discard") << wire::discard(QStringLiteral("山田"), wire::refField(12))
                             << hex("946a8afc202020202020202020") + name + "12      ";
    QTest::addRow("search request") << wire::searchRequest() << hex("47524f55508c9f8df5");
    QTest::addRow("search reply, note set")
        << wire::searchReply(QStringLiteral("taro") + QString(16, QChar(0)),
                             QStringLiteral("198.18.0.2"), QString(), sp(20), true)
        << hex("47524f555020208c9f8df58c8b89ca") + QByteArray("taro") + QByteArray(16, '\0') +
               "198.18.0.2          " + QByteArray(20, ' ') + QByteArray(20, ' ') + hex("819b");
    QTest::addRow("search reply, no note, a peer chosen")
        << wire::searchReply(sp(20), QStringLiteral("10.0.0.1"), QStringLiteral("10.0.0.2"),
                             QStringLiteral("山田"), false)
        << hex("47524f555020208c9f8df58c8b89ca") + QByteArray(20, ' ') + "10.0.0.1            " +
               "10.0.0.2            " + name + hex("817c");
    QTest::addRow("away-note request") << wire::letterRequest() << hex("4c45545445522047455420");
    QTest::addRow("away-note reply")
        << wire::letterReply(sp(20), QStringLiteral("外出中\r\n～15時"))
        << hex("4c455454455220927582ab8ee88e86") + QByteArray(20, ' ') + cp932::encode(u"外出中") +
               "\r\n" + hex("8160") + "15" + cp932::encode(u"時");
    QTest::addRow("message") << wire::message(QStringLiteral("山田 "), QStringLiteral("10:15:00"),
                                              wire::refField(1), QStringLiteral("a\r\nb"))
                             << name + "10:15:00" + "1       " + "a\r\nb";
    QTest::addRow("long name is cut to 20")
        << wire::ack(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ"))
        << hex("9197904d202020202020202020") + QByteArray("ABCDEFGHIJKLMNOPQRST");
}

void WireTest::builtBytes()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(cp932::encode(text).toHex(' '), bytes.toHex(' '));
}

void WireTest::classify_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<Kind>("kind");

    const auto message = [](const QString &sender) {
        return cp932::encode(wire::message(sender, QStringLiteral("10:00:00"), wire::refField(5),
                                           QStringLiteral("hello")));
    };
    QTest::addRow("ack") << hex("9197904d202020202020202020") + "peer" << Kind::Ack;
    QTest::addRow("reject") << hex("4f544845529197904d") << Kind::Reject;
    QTest::addRow("open") << hex("4f70656e8a6d94462020202020") << Kind::OpenConfirm;
    QTest::addRow("hold") << hex("95db97af202020202020202020") << Kind::Hold;
    QTest::addRow("discard") << hex("946a8afc202020202020202020") + "x" << Kind::Discard;
    QTest::addRow("search request") << hex("47524f55508c9f8df5") << Kind::SearchRequest;
    QTest::addRow("search reply") << hex("47524f555020208c9f8df58c8b89ca") << Kind::SearchReply;
    QTest::addRow("away-note reply") << hex("4c455454455220927582ab8ee88e86") << Kind::LetterReply;
    QTest::addRow("away-note request") << hex("4c45545445522047455420") << Kind::LetterRequest;
    QTest::addRow("plain message") << message(QStringLiteral("山田 ")) << Kind::Message;

    // A sender named like an 11-character kind is taken for that kind.
    QTest::addRow("sender 保留 reads as hold") << message(QStringLiteral("保留")) << Kind::Hold;
    QTest::addRow("sender 送信 reads as ack") << message(QStringLiteral("送信")) << Kind::Ack;
    QTest::addRow("sender 破棄 reads as discard")
        << message(QStringLiteral("破棄")) << Kind::Discard;
    QTest::addRow("sender Open確認 reads as open")
        << message(QStringLiteral("Open確認")) << Kind::OpenConfirm;
    // The 7-character kinds match only themselves.
    QTest::addRow("OTHER送信 and more") << hex("4f544845529197904d") + "!" << Kind::Message;
    QTest::addRow("GROUP検索 and a space") << hex("47524f55508c9f8df5") + " " << Kind::Message;
    QTest::addRow("LETTER GET without its space") << QByteArray("LETTER GET") << Kind::Message;
    QTest::addRow("lower case") << QByteArray("open") + hex("8a6d94462020202020") << Kind::Message;
    QTest::addRow("empty datagram") << QByteArray() << Kind::Message;
    QTest::addRow("kind text too short") << hex("9197904d") << Kind::Message;
    QTest::addRow("invalid bytes") << QByteArray("\xff\xfe\x80", 3) << Kind::Message;
}

void WireTest::classify()
{
    QFETCH(QByteArray, bytes);
    QFETCH(Kind, kind);
    QCOMPARE(wire::classify(cp932::decode(bytes)), kind);
}

void WireTest::everyKindRoundTrips()
{
    const QString name = QStringLiteral("Taro Yamada");
    const struct
    {
        QString datagram;
        Kind kind;
    } cases[] = {
        {wire::ack(name), Kind::Ack},
        {wire::reject(), Kind::Reject},
        {wire::openConfirm(name, wire::refField(7)), Kind::OpenConfirm},
        {wire::hold(name), Kind::Hold},
        {wire::discard(name, wire::refField(7)), Kind::Discard},
        {wire::searchRequest(), Kind::SearchRequest},
        {wire::searchReply(sp(20), sp(20), sp(20), name, true), Kind::SearchReply},
        {wire::letterReply(name, QStringLiteral("note")), Kind::LetterReply},
        {wire::letterRequest(), Kind::LetterRequest},
        {wire::message(name, QStringLiteral("10:00:00"), wire::refField(7), QStringLiteral("x")),
         Kind::Message},
    };
    for (const auto &c : cases) {
        const QString back = cp932::decode(cp932::encode(c.datagram));
        QCOMPARE(back, c.datagram);
        QCOMPARE(wire::classify(back), c.kind);
    }
    // Readers see what the builders wrote; a name is read up to its first space.
    const QString open = wire::openConfirm(name, wire::refField(7));
    QCOMPARE(open.size(), 39);
    const auto opened = std::get<wire::OpenConfirm>(wire::read(open));
    QCOMPARE(opened.name.shortName, QStringLiteral("Taro "));
    QCOMPARE(opened.row, 7);
    QCOMPARE(wire::hold(name).size(), 31);
    QCOMPARE(wire::searchReply(sp(20), sp(20), sp(20), sp(20), false).size(), 92);
}

void WireTest::readsFieldsWithinBounds()
{
    // A message shorter than 37 characters carries empty text, and each
    // field gives only what is there.
    const auto message = [](QStringView d) { return std::get<wire::Message>(wire::read(d)); };
    const wire::Message shortOne = message(u"山田                  10:0");
    QCOMPARE(shortOne.name.field, QStringLiteral("山田") + sp(18));
    QCOMPARE(shortOne.time, QStringLiteral("10:0"));
    QCOMPARE(shortOne.refField, QString());
    QCOMPARE(shortOne.text, QString());

    const wire::Message empty = message(u"");
    QVERIFY(empty.name.field.isEmpty() && empty.text.isEmpty() && !empty.name.nobody);

    // A long one is read whole, CR LF included.
    const QString body = QString(60000, u'あ') + QStringLiteral("\r\nend");
    const wire::Message longOne = message(
        wire::message(QStringLiteral("a"), QStringLiteral("01:02:03"), wire::refField(9), body));
    QCOMPARE(longOne.text, body);
    QCOMPARE(fieldtext::rowNumber(longOne.refField), 9);

    const auto cut = std::get<wire::SearchReply>(wire::read(u"GROUP  検索結果abc"));
    QCOMPARE(cut.loginField, QStringLiteral("abc"));
    QVERIFY(cut.name.field.isEmpty());
    QVERIFY(cut.mark.isEmpty());
    QCOMPARE(std::get<wire::LetterReply>(wire::read(wire::letterReply(sp(20), QString()))).text,
             QString());
}

void WireTest::historyReference_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("row");
    QTest::addRow("three") << QStringLiteral("3       ") << 3;
    QTest::addRow("seven digits") << QStringLiteral("1234567 ") << 1234567;
    QTest::addRow("eight digits name no row") << QStringLiteral("12345678") << 0;
    QTest::addRow("empty (hold notice)") << QString() << 0;
    QTest::addRow("leading space") << QStringLiteral(" 3      ") << 0;
    QTest::addRow("not a number") << QStringLiteral("x3      ") << 0;
    QTest::addRow("sign") << QStringLiteral("-3      ") << 0;
    QTest::addRow("cut short without space") << QStringLiteral("3") << 0;
}

void WireTest::historyReference()
{
    QFETCH(QString, field);
    QFETCH(int, row);
    const QString datagram = QStringLiteral("Open確認     ") + sp(20) + field;
    QCOMPARE(std::get<wire::OpenConfirm>(wire::read(datagram)).row, row);
}

void WireTest::codePage932()
{
    // The wave dash and minus sign as Japanese Windows has them.
    QCOMPARE(cp932::decode(hex("8160")), QStringLiteral("\uFF5E"));
    QCOMPARE(cp932::decode(hex("817c")), QStringLiteral("\uFF0D"));
    QCOMPARE(cp932::encode(u"ぽるとな～").toHex(), QByteArray("82db82e982c682c88160"));
    // Half-width katakana are one byte and one character each.
    const QString kana = QStringLiteral("ﾕｰｻﾞｰ");
    QCOMPARE(cp932::encode(kana).size(), kana.size());
    // Invalid bytes become U+FFFD; half a character at the end is not lost
    // silently, and never reaches the next datagram.
    QCOMPARE(cp932::decode(QByteArray("A\x82", 2)), QStringLiteral("A\uFFFD"));
    QCOMPARE(cp932::decode(QByteArray("\x40")), QStringLiteral("@"));
    QCOMPARE(cp932::decode(QByteArray("\x81\xff\x1a\x82\x20", 5)),
             QStringLiteral("\uFFFD\uF8F3\u001A\uFFFD "));
    QCOMPARE(cp932::decode(hex("8540")), QStringLiteral("\uFFFD")); // unassigned pair
    // Lead bytes from F0 on: the IBM extensions.
    QCOMPARE(cp932::decode(hex("fa40fbfc")), QStringLiteral("ⅰ髙"));
    QCOMPARE(cp932::encode(u"ⅰ髙"), hex("fa40fbfc"));
    QCOMPARE(cp932::decode(QByteArray("a\0b", 3)), QString::fromUtf16(u"a\0b", 3));
    // What code page 932 cannot hold goes out as '?', as Windows writes it;
    // the Unicode forms other systems type for ～ and － go out as Windows' own.
    QCOMPARE(cp932::encode(u"é😀ア"), QByteArray("??\x83\x41"));
    // Bytes Windows keeps as characters of their own come back as they went.
    const QByteArray own("\x80\xa0\xfd\xfe\xff", 5);
    QCOMPARE(cp932::decode(own), QStringLiteral("\u0080\uF8F0\uF8F1\uF8F2\uF8F3"));
    QCOMPARE(cp932::encode(cp932::decode(own)), own);
    // The yen sign and the overline typed here are what Windows shows for 5C and 7E.
    QCOMPARE(cp932::encode(u"\u00A5\u203E"), QByteArray("\x5c\x7e"));
    QCOMPARE(cp932::encode(u"\u301C\u2212"), hex("8160817c"));
    // Control codes pass unchanged both ways.
    const QByteArray controls("\x1a\x1c\x7f\x01", 4);
    QCOMPARE(cp932::encode(cp932::decode(controls)), controls);
    QCOMPARE(cp932::decode(controls), QStringLiteral("\u001A\u001C\u007F\u0001"));
}

void WireTest::everySequenceRoundTrips()
{
    int pairs = 0;
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if (lead > 0x9F && lead < 0xE0)
            continue;
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            QByteArray bytes(2, '\0');
            bytes[0] = char(lead);
            bytes[1] = char(trail);
            const QString text = cp932::decode(bytes);
            if (trail == 0x7F || text == QStringLiteral("\uFFFD"))
                continue;
            ++pairs;
            QCOMPARE(text.size(), 1);
            const QByteArray back = cp932::encode(text);
            if (back == bytes)
                continue;
            // Two code points for one character: Windows writes the JIS one,
            // then NEC's row 13, then IBM's, never the NEC-selected copy.
            const auto rank = [](uchar l) {
                return l == 0x87 ? 1 : l >= 0xFA ? 2 : l >= 0xED && l <= 0xEE ? 3 : 0;
            };
            QVERIFY2(rank(uchar(back[0])) < rank(uchar(lead)), bytes.toHex().constData());
            QCOMPARE(cp932::decode(back), text);
        }
    }
    // JIS X 0208, NEC's and IBM's extensions, and the user-defined area.
    QCOMPARE(pairs, 7724 + 1880);
    for (int b = 0; b < 0x100; ++b) {
        if ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC))
            continue;
        const QByteArray one(1, char(b));
        QCOMPARE(cp932::encode(cp932::decode(one)), one);
    }
}

void WireTest::everyCharacterKeepsItsPlace_data()
{
    QTest::addColumn<QString>("character");
    for (char32_t c : {0x00AD, 0x034F, 0x061C, 0x115F, 0x1160, 0x17B4, 0x17B5, 0x180B,
                       0x180F, 0x200B, 0x200F, 0x202A, 0x202E, 0x2060, 0x206F, 0x3164,
                       0xFE00, 0xFE0F, 0xFEFF, 0xFFA0, 0xFFF0, 0xFFF8, 0xFFFD, 0x1F600})
        QTest::addRow("U+%04X", unsigned(c))
            << (c > 0xFFFF ? QString::fromUcs4(&c, 1) : QString(QChar(char16_t(c))));
    QTest::addRow("lone surrogate") << QString(QChar(0xD800));
}

void WireTest::everyCharacterKeepsItsPlace()
{
    QFETCH(QString, character);
    QCOMPARE(cp932::encode(character), QByteArray("?"));
    // A name with it fills its field exactly: the time after it stays in place.
    const QByteArray bytes =
        cp932::encode(wire::message(QStringLiteral("a") + character, QStringLiteral("10:15:00"),
                                    wire::refField(3), QStringLiteral("x")));
    QCOMPARE(bytes, QByteArray("a?                  10:15:003       x"));
}

QTEST_GUILESS_MAIN(WireTest)
#include "wire_test.moc"
