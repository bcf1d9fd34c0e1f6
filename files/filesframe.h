#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>
#include <variant>

// The frames of the file channel (TCP, port 50319), which only copies of
// this program speak. A frame is its length (4 bytes, big-endian, the kind
// byte and the body), its kind (1 byte) and its body. Integers are
// big-endian; a text is its length in UTF-8 (4 bytes) and its UTF-8.
namespace filesframe {

inline constexpr char Version[] = "PORTANA-FILES/1";
// What one frame may hold: an offer of about 10,000 names, or a chunk.
inline constexpr quint32 MaxFrameBytes = 1 << 20;
inline constexpr quint32 ChunkBytes = 64 * 1024;
inline constexpr qsizetype TokenBytes = 16;
inline constexpr qsizetype MaxEntries = 20000;

enum class Kind : quint8 { Hello = 1, Offer, Get, Data, End, Refusal, Cancel, Taken };

// Each side's first frame: the version it speaks.
struct Hello
{
    QString version;
    bool operator==(const Hello &) const = default;
};

// A file or folder of an offer; path relative, parts separated by "/".
struct Entry
{
    QString path;
    bool folder = false;
    quint64 size = 0;
    qint64 modified = 0; // milliseconds since 1970, UTC
    bool operator==(const Entry &) const = default;
};

// The sender's offer to a recipient, naming the message it goes with.
struct Offer
{
    QString sender;      // the sender's address, as the message came from it
    quint32 message = 0; // the message's number at the sender
    QByteArray token;    // TokenBytes random bytes: the key to the offer
    QList<Entry> entries;
    bool operator==(const Offer &) const = default;
};

// The recipient asks for one entry's bytes from offset on.
struct Get
{
    QByteArray token;
    quint32 entry = 0;
    quint64 offset = 0;
    bool operator==(const Get &) const = default;
};

// Up to ChunkBytes of the entry asked for.
struct Data
{
    QByteArray bytes;
    bool operator==(const Data &) const = default;
};

// The entry is whole: the SHA-256 of all of it, from byte 0.
struct End
{
    QByteArray sha256;
    bool operator==(const End &) const = default;
};

// Why the sender will not serve what was asked.
struct Refusal
{
    enum Reason : quint8 { NotOffered = 1, Expired, Changed, Busy, Malformed, Cancelled };
    quint8 reason = Malformed;
    QString text; // for the user
    bool operator==(const Refusal &) const = default;
};

// The sender withdraws the offer, or the recipient wants no more of it.
struct Cancel
{
    QByteArray token;
    bool operator==(const Cancel &) const = default;
};

// The recipient keeps the offer it was told.
struct Taken
{
    bool operator==(const Taken &) const = default;
};

using Frame = std::variant<Hello, Offer, Get, Data, End, Refusal, Cancel, Taken>;

QByteArray write(const Frame &frame);

// Frames out of a stream's bytes as they come. It never holds more than
// one frame and its length, and a stream that breaks the rules stays
// broken: its connection is to be closed.
class Reader
{
public:
    // Takes what arrived; false once the stream is broken.
    bool feed(const QByteArray &bytes);
    // The next whole frame, if one is there.
    std::optional<Frame> next();
    bool broken() const { return !m_problem.isEmpty(); }
    QString problem() const { return m_problem; }
    // How many bytes the reader wants before the next frame can be whole.
    qsizetype wanted() const;

private:
    QByteArray m_buffer;
    QString m_problem;
};

} // namespace filesframe
