#include "filesframe.h"

#include <QtEndian>

#include <algorithm>

namespace filesframe {

namespace {

class Out
{
public:
    void u8(quint8 v) { m_bytes.append(char(v)); }
    void u32(quint32 v)
    {
        char b[4];
        qToBigEndian(v, b);
        m_bytes.append(b, 4);
    }
    void u64(quint64 v)
    {
        char b[8];
        qToBigEndian(v, b);
        m_bytes.append(b, 8);
    }
    void text(const QString &t) { bytes(t.toUtf8()); }
    void bytes(const QByteArray &b)
    {
        u32(quint32(b.size()));
        m_bytes.append(b);
    }
    void raw(const QByteArray &b) { m_bytes.append(b); }
    QByteArray framed(Kind kind) const
    {
        Out f;
        f.u32(quint32(m_bytes.size() + 1));
        f.u8(quint8(kind));
        f.raw(m_bytes);
        return f.m_bytes;
    }

private:
    QByteArray m_bytes;
};

// Reads a body; the first read past its end, or of a text that is not
// UTF-8, spoils it, and every read after gives nothing.
class In
{
public:
    explicit In(QByteArrayView body) : m_body(body) {}
    bool ok() const { return m_ok; }
    bool atEnd() const { return m_at == m_body.size(); }
    quint8 u8() { return take(1) ? quint8(m_body[m_at - 1]) : 0; }
    quint32 u32() { return take(4) ? qFromBigEndian<quint32>(m_body.data() + m_at - 4) : 0; }
    quint64 u64() { return take(8) ? qFromBigEndian<quint64>(m_body.data() + m_at - 8) : 0; }
    QByteArray bytes()
    {
        const quint32 n = u32();
        return take(n) ? m_body.sliced(m_at - n, n).toByteArray() : QByteArray();
    }
    QByteArray fixed(qsizetype n)
    {
        return take(n) ? m_body.sliced(m_at - n, n).toByteArray() : QByteArray();
    }
    QString text()
    {
        const QByteArray b = bytes();
        QString t = QString::fromUtf8(b);
        // A replacement character the bytes did not hold: they were not UTF-8.
        if (t.toUtf8() != b)
            m_ok = false;
        return t;
    }

private:
    bool take(qsizetype n)
    {
        if (!m_ok || n < 0 || n > m_body.size() - m_at) {
            m_ok = false;
            return false;
        }
        m_at += n;
        return true;
    }
    QByteArrayView m_body;
    qsizetype m_at = 0;
    bool m_ok = true;
};

struct Writer
{
    QByteArray operator()(const Hello &h) const
    {
        Out o;
        o.text(h.version);
        return o.framed(Kind::Hello);
    }
    QByteArray operator()(const Offer &f) const
    {
        Out o;
        o.text(f.sender);
        o.u32(f.message);
        o.raw(f.token);
        o.u32(quint32(f.entries.size()));
        for (const Entry &e : f.entries) {
            o.text(e.path);
            o.u8(e.folder ? 1 : 0);
            o.u64(e.size);
            o.u64(quint64(e.modified));
        }
        return o.framed(Kind::Offer);
    }
    QByteArray operator()(const Get &g) const
    {
        Out o;
        o.raw(g.token);
        o.u32(g.entry);
        o.u64(g.offset);
        return o.framed(Kind::Get);
    }
    QByteArray operator()(const Data &d) const
    {
        Out o;
        o.raw(d.bytes);
        return o.framed(Kind::Data);
    }
    QByteArray operator()(const End &e) const
    {
        Out o;
        o.raw(e.sha256);
        return o.framed(Kind::End);
    }
    QByteArray operator()(const Refusal &r) const
    {
        Out o;
        o.u8(r.reason);
        o.text(r.text);
        return o.framed(Kind::Refusal);
    }
    QByteArray operator()(const Cancel &c) const
    {
        Out o;
        o.raw(c.token);
        return o.framed(Kind::Cancel);
    }
    QByteArray operator()(const Taken &) const { return Out().framed(Kind::Taken); }
};

std::optional<Frame> parse(Kind kind, In &in)
{
    switch (kind) {
    case Kind::Hello:
        return Hello{in.text()};
    case Kind::Offer: {
        Offer f;
        f.sender = in.text();
        f.message = in.u32();
        f.token = in.fixed(TokenBytes);
        const quint32 count = in.u32();
        if (count > MaxEntries)
            return std::nullopt;
        for (quint32 i = 0; i < count && in.ok(); ++i) {
            Entry e;
            e.path = in.text();
            const quint8 folder = in.u8();
            if (folder > 1)
                return std::nullopt;
            e.folder = folder == 1;
            e.size = in.u64();
            e.modified = qint64(in.u64());
            f.entries << e;
        }
        return f;
    }
    case Kind::Get: {
        Get g;
        g.token = in.fixed(TokenBytes);
        g.entry = in.u32();
        g.offset = in.u64();
        return g;
    }
    case Kind::Data:
        return std::nullopt; // read whole by the caller
    case Kind::End:
        return End{in.fixed(32)};
    case Kind::Refusal: {
        Refusal r;
        r.reason = in.u8();
        r.text = in.text();
        return r;
    }
    case Kind::Cancel:
        return Cancel{in.fixed(TokenBytes)};
    case Kind::Taken:
        return Taken{};
    }
    return std::nullopt;
}

} // namespace

QByteArray write(const Frame &frame)
{
    return std::visit(Writer{}, frame);
}

bool Reader::feed(const QByteArray &bytes)
{
    if (broken())
        return false;
    m_buffer.append(bytes);
    return true;
}

qsizetype Reader::wanted() const
{
    if (m_buffer.size() < 4)
        return 4 - m_buffer.size();
    const quint32 length = qFromBigEndian<quint32>(m_buffer.constData());
    return std::max<qsizetype>(0, 4 + qsizetype(length) - m_buffer.size());
}

std::optional<Frame> Reader::next()
{
    if (broken() || m_buffer.size() < 4)
        return std::nullopt;
    const quint32 length = qFromBigEndian<quint32>(m_buffer.constData());
    if (length == 0 || length > MaxFrameBytes) {
        m_problem = QStringLiteral("frame of %1 bytes").arg(length);
        m_buffer.clear();
        return std::nullopt;
    }
    if (m_buffer.size() < 4 + qsizetype(length))
        return std::nullopt;
    const quint8 kind = quint8(m_buffer[4]);
    const QByteArrayView body = QByteArrayView(m_buffer).sliced(5, length - 1);
    std::optional<Frame> frame;
    if (kind == quint8(Kind::Data)) {
        if (body.size() <= qsizetype(ChunkBytes))
            frame = Data{body.toByteArray()};
    } else if (kind >= quint8(Kind::Hello) && kind <= quint8(Kind::Taken)) {
        In in(body);
        frame = parse(Kind(kind), in);
        // Every byte is the frame's, each as its kind says.
        if (!in.ok() || !in.atEnd())
            frame.reset();
    }
    m_buffer.remove(0, 4 + length);
    if (!frame)
        m_problem = QStringLiteral("malformed frame of kind %1").arg(kind);
    return frame;
}

} // namespace filesframe
