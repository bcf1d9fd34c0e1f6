#include "wire.h"

#include "fieldtext.h"

using fieldtext::field;
using fieldtext::NameWidth;
using fieldtext::pad;

namespace wire {
namespace {

struct KindEntry
{
    Kind kind;
    QString text;
};

const KindEntry &entry(int i)
{
    static const KindEntry table[] = {
        {Kind::Ack, QStringLiteral("送信         ")},
        {Kind::Reject, QStringLiteral("OTHER送信")},
        {Kind::OpenConfirm, QStringLiteral("Open確認     ")},
        {Kind::Hold, QStringLiteral("保留         ")},
        {Kind::Discard, QStringLiteral("破棄         ")},
        {Kind::SearchRequest, QStringLiteral("GROUP検索")},
        {Kind::SearchReply, QStringLiteral("GROUP  検索結果")},
        {Kind::LetterReply, QStringLiteral("LETTER 置き手紙")},
        {Kind::LetterRequest, QStringLiteral("LETTER GET ")},
    };
    return table[i];
}
constexpr int KindCount = 9;

} // namespace

QString kindText(Kind kind)
{
    for (int i = 0; i < KindCount; ++i)
        if (entry(i).kind == kind)
            return entry(i).text;
    return {};
}

Kind classify(QStringView datagram)
{
    const QStringView head = datagram.left(KindWidth);
    for (int i = 0; i < KindCount; ++i) {
        const KindEntry &e = entry(i);
        // A kind shorter than 11 characters can equal the head only when it
        // is the whole datagram.
        if (head == e.text)
            return e.kind;
    }
    return Kind::Message;
}

QString ack(const QString &sendName)
{
    return kindText(Kind::Ack) + pad(sendName, NameWidth);
}

QString reject()
{
    return kindText(Kind::Reject);
}

QString openConfirm(const QString &sendName, const QString &refField)
{
    return kindText(Kind::OpenConfirm) + pad(sendName, NameWidth) + pad(refField, RefWidth);
}

QString hold(const QString &sendName)
{
    return kindText(Kind::Hold) + pad(sendName, NameWidth);
}

QString discard(const QString &sendName, const QString &refField)
{
    return kindText(Kind::Discard) + pad(sendName, NameWidth) + pad(refField, RefWidth);
}

QString searchRequest()
{
    return kindText(Kind::SearchRequest);
}

QString searchReply(const QString &loginField, const QString &localAddress,
                    const QString &selectedPeer, const QString &displayName, bool awayNoteSet)
{
    return kindText(Kind::SearchReply) + pad(loginField, NameWidth) + pad(localAddress, NameWidth) +
           pad(selectedPeer, NameWidth) + pad(displayName, NameWidth) +
           (awayNoteSet ? QStringLiteral("○") : QStringLiteral("－"));
}

QString letterRequest()
{
    return kindText(Kind::LetterRequest);
}

QString letterReply(const QString &displayName, const QString &note)
{
    return kindText(Kind::LetterReply) + pad(displayName, NameWidth) + note;
}

QString message(const QString &nameField, const QString &time, const QString &refField,
                const QString &text)
{
    return pad(nameField, NameWidth) + pad(time, 8) + pad(refField, RefWidth) + text;
}

bool nameLeadsMessage(const QString &displayName)
{
    return classify(pad(displayName, NameWidth)) == Kind::Message;
}

QString refField(int rowNo)
{
    return pad(QString::number(rowNo), RefWidth);
}

Message readMessage(QStringView d)
{
    return {field(d, 1, NameWidth).toString(), field(d, 21, 8).toString(),
            field(d, 29, RefWidth).toString(), fieldtext::tail(d, 37).toString()};
}

QString resultNameField(QStringView d)
{
    return field(d, 12, NameWidth).toString();
}

int resultRow(QStringView d)
{
    return fieldtext::rowNumber(field(d, 32, RefWidth));
}

SearchReply readSearchReply(QStringView d)
{
    return {field(d, 12, NameWidth).toString(), field(d, 32, NameWidth).toString(),
            field(d, 72, NameWidth).toString(), field(d, 92, 1).toString()};
}

QString letterText(QStringView d)
{
    return fieldtext::tail(d, 32).toString();
}

} // namespace wire
