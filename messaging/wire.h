#pragma once

#include <QMetaType>
#include <QString>
#include <QStringView>
#include <variant>

// The datagrams copies exchange: fixed-width text fields, positions counted
// in characters of the decoded text, 1-based.
namespace wire {

constexpr int KindWidth = 11;
constexpr int RefWidth = 8;
// What one UDP datagram over IPv4 carries.
constexpr qsizetype MaxDatagramBytes = 65507;

enum class Kind {
    Ack,
    Reject,
    OpenConfirm,
    Hold,
    Discard,
    SearchRequest,
    SearchReply,
    LetterReply,
    LetterRequest,
    Message,
};

QString kindText(Kind kind);

// Compares the leading text with the kinds in order; the first match wins,
// and anything else is a message. The two 7-character kinds match only the
// whole datagram.
Kind classify(QStringView datagram);

// Builders. Name fields are space-filled (or cut) to 20 characters.
QString ack(const QString &sendName);
QString reject();
QString openConfirm(const QString &sendName, const QString &refField);
QString hold(const QString &sendName);
QString discard(const QString &sendName, const QString &refField);
QString searchRequest();
QString searchReply(const QString &loginField, const QString &localAddress,
                    const QString &selectedPeer, const QString &displayName, bool awayNoteSet);
QString letterRequest();
QString letterReply(const QString &displayName, const QString &note);
QString message(const QString &nameField, const QString &time, const QString &refField,
                const QString &text);

// Whether a display name can lead a message: its name field must not read
// as a kind ("送信" would make every message from it an acknowledgement).
bool nameLeadsMessage(const QString &displayName);

// A row number as the 8-character history reference.
QString refField(int rowNo);

// A name field (positions given by its datagram), read once.
struct Name
{
    QString field;       // as it stands: 20 characters, fewer in a datagram cut short
    QString shortName;   // up to and including the first blank; empty without one
    bool nobody = false; // 20 blanks: the sender gave no name
};

// One record per kind. Readers are bounded: a field beyond the end of the
// datagram gives what is there.
struct SearchRequest
{
};
struct SearchReply
{
    QString loginField; // 12-31
    QString address;    // 32-51, the replier's own address
    Name name;          // 72-91
    QString mark;       // 92
    // The user list's cells: the first 12 characters up to a NUL, the
    // login where no display name was given.
    QString loginCell;
    QString nameCell;
};
struct Message
{
    Name name;        // 1-20
    QString time;     // 21-28
    QString refField; // 29-36
    QString text;     // 37-end
};
struct Ack
{
    Name name; // 12-31
};
struct Reject
{
};
struct OpenConfirm
{
    Name name; // 12-31
    int row;   // 32-39; 0 when it names none
};
struct Hold
{
    Name name; // 12-31
};
struct Discard
{
    Name name;
    int row;
};
struct LetterRequest
{
};
struct LetterReply
{
    Name name;    // 12-31
    QString text; // 32-end
};
using Record = std::variant<SearchRequest, SearchReply, Message, Ack, Reject, OpenConfirm, Hold, Discard,
                            LetterRequest, LetterReply>;

// The one reading of a datagram: decoded from code page 932 on its own,
// told apart by kind, every field cut once.
Record read(const QByteArray &bytes);
Record read(QStringView datagram);

} // namespace wire
Q_DECLARE_METATYPE(wire::Message)
