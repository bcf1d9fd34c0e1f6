#pragma once

#include <QMetaType>
#include <QString>
#include <QStringView>

// The datagrams copies exchange: fixed-width text fields, positions counted
// in characters of the decoded text, 1-based.
namespace wire {

constexpr quint16 Port = 50319;
constexpr int KindWidth = 11;
constexpr int RefWidth = 8;
// What one UDP datagram over IPv4 carries.
constexpr qsizetype MaxDatagramBytes = 65507;
inline const QString BroadcastAddress = QStringLiteral("255.255.255.255");

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

// Readers: a field beyond the end of the datagram gives what is there.
struct Message
{
    QString nameField; // 1-20
    QString time;      // 21-28
    QString refField;  // 29-36
    QString text;      // 37-end
};
Message readMessage(QStringView datagram);

// Positions 12-31 of acknowledgements and open, hold and discard notices.
QString resultNameField(QStringView datagram);
// The row named by positions 32-39; 0 when it names none.
int resultRow(QStringView datagram);

struct SearchReply
{
    QString loginField; // 12-31
    QString address;    // 32-51, the replier's own address
    QString nameField;  // 72-91
    QString mark;       // 92
};
SearchReply readSearchReply(QStringView datagram);

// Positions 32-end of an away-note reply.
QString letterText(QStringView datagram);

} // namespace wire
Q_DECLARE_METATYPE(wire::Message)
