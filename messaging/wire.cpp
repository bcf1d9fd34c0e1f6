#include "wire.h"

#include "cp932.h"
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

const KindEntry table[] = {
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

// Where each field starts: 1-based, in characters of the decoded text.
namespace at {
// A notice: its kind, then the sender's name, then (open, discard) the
// reference of the row the message was sent with, or (a note) its text.
constexpr int Name = KindWidth + 1;
constexpr int Ref = Name + NameWidth;
constexpr int NoteText = Name + NameWidth;
// A search reply: login name, address, the peer it has selected, display
// name, and ○ or － for an away note.
constexpr int Login = KindWidth + 1;
constexpr int Address = Login + NameWidth;
constexpr int DisplayName = Address + 2 * NameWidth;
constexpr int NoteMark = DisplayName + NameWidth;
// A message has no kind: name, time (hh:mm:ss), reference, then the body.
constexpr int MessageName = 1;
constexpr int Time = MessageName + NameWidth;
constexpr int TimeWidth = 8;
constexpr int MessageRef = Time + TimeWidth;
constexpr int Body = MessageRef + RefWidth;
} // namespace at

} // namespace

QString kindText(Kind kind)
{
    for (const KindEntry &e : table)
        if (e.kind == kind)
            return e.text;
    return {};
}

Kind classify(QStringView datagram)
{
    const QStringView head = datagram.left(KindWidth);
    for (const KindEntry &e : table) {
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
    return pad(nameField, NameWidth) + pad(time, at::TimeWidth) + pad(refField, RefWidth) + text;
}

bool nameLeadsMessage(const QString &displayName)
{
    return classify(pad(displayName, NameWidth)) == Kind::Message;
}

QString refField(int rowNo)
{
    return pad(QString::number(rowNo), RefWidth);
}

namespace {

Name name(QStringView d, int pos)
{
    const QStringView f = field(d, pos, NameWidth);
    return {f.toString(), fieldtext::shortName(f), f.size() == NameWidth && fieldtext::isBlank(f)};
}

int row(QStringView d)
{
    return fieldtext::rowNumber(field(d, at::Ref, RefWidth));
}

// A list cell shows its text up to the first NUL.
QString upToNul(QStringView text)
{
    const qsizetype nul = text.indexOf(QChar(u'\0'));
    return (nul < 0 ? text : text.left(nul)).toString();
}

QStringView trimmedRight(QStringView text)
{
    qsizetype n = text.size();
    while (n > 0 && text[n - 1] == u' ')
        --n;
    return text.left(n);
}

SearchReply searchReply(QStringView d)
{
    constexpr int Cell = 12;
    SearchReply r{field(d, at::Login, NameWidth).toString(),
                  field(d, at::Address, NameWidth).toString(),
                  name(d, at::DisplayName),
                  field(d, at::NoteMark, 1).toString(),
                  {},
                  {}};
    const QStringView login = QStringView(r.loginField).left(Cell);
    const QStringView display = QStringView(r.name.field).left(Cell);
    r.loginCell = upToNul(login);
    // No display name (or a reply cut short before it): the login name.
    r.nameCell = upToNul(fieldtext::isBlank(display) ? login : trimmedRight(display));
    return r;
}

} // namespace

Record read(const QByteArray &bytes)
{
    return read(cp932::decode(bytes));
}

Record read(QStringView d)
{
    switch (classify(d)) {
    case Kind::Ack:
        return Ack{name(d, at::Name)};
    case Kind::Reject:
        return Reject{};
    case Kind::OpenConfirm:
        return OpenConfirm{name(d, at::Name), row(d)};
    case Kind::Hold:
        return Hold{name(d, at::Name)};
    case Kind::Discard:
        return Discard{name(d, at::Name), row(d)};
    case Kind::SearchRequest:
        return SearchRequest{};
    case Kind::SearchReply:
        return searchReply(d);
    case Kind::LetterReply:
        return LetterReply{name(d, at::Name), fieldtext::tail(d, at::NoteText).toString()};
    case Kind::LetterRequest:
        return LetterRequest{};
    case Kind::Message:
        break;
    }
    return Message{name(d, at::MessageName), field(d, at::Time, at::TimeWidth).toString(),
                   field(d, at::MessageRef, RefWidth).toString(),
                   fieldtext::tail(d, at::Body).toString()};
}

} // namespace wire
