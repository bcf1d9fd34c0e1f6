#include "sendround.h"

#include "clock.h"
#include "cp932.h"
#include "fieldtext.h"
#include "historymodel.h"
#include "transport.h"

#include <algorithm>

namespace {

QString stateText(SendRound::State state)
{
    switch (state) {
    case SendRound::State::Sending:
        return QStringLiteral("送信中");
    case SendRound::State::Delivered:
        return QStringLiteral("送信済");
    case SendRound::State::Refused:
        return QStringLiteral("拒否");
    case SendRound::State::Opened:
        return QStringLiteral("確認済");
    case SendRound::State::Held:
        return QStringLiteral("保留");
    case SendRound::State::Discarded:
        return QStringLiteral("未確認で閉じた");
    case SendRound::State::NoAnswer:
        return QStringLiteral("応答なし");
    case SendRound::State::NotSent:
        return QStringLiteral("送信できません");
    }
    return {};
}

constexpr int StateCount = int(SendRound::State::NotSent) + 1;

} // namespace

SendRound::SendRound(Transport &transport, HistoryModel &history, const Clock &clock,
                     QObject *parent)
    : QAbstractTableModel(parent), m_transport(transport), m_history(history), m_clock(clock),
      m_rate(clock, Burst, PerSecond)
{
    m_paceTimer.setSingleShot(true);
    m_waitTimer.setSingleShot(true);
    connect(&m_paceTimer, &QTimer::timeout, this, &SendRound::pump);
    connect(&m_waitTimer, &QTimer::timeout, this, &SendRound::expire);
}

void SendRound::start(const std::vector<Recipient> &recipients, const QString &nameField,
                      const QString &text, const QStringList &files)
{
    beginResetModel();
    m_recipients.clear();
    m_queue.clear();
    for (const Recipient &r : recipients) {
        m_queue.push_back(m_recipients.size());
        m_recipients.push_back(Entry{r, 0, State::Sending, {}, 0, false, {}});
    }
    m_nameField = nameField;
    m_time = fieldtext::timeText(m_clock.now());
    m_text = text;
    m_files = files;
    endResetModel();
    emit started();
    pump();
}

void SendRound::resend()
{
    for (size_t i = 0; i < m_recipients.size(); ++i) {
        const State s = m_recipients[i].state;
        if (s == State::NoAnswer || s == State::NotSent) {
            setState(i, State::Sending);
            m_recipients[i].sentAt = m_clock.elapsedMsecs(); // waited for from now
            m_queue.push_back(i);
        }
    }
    pump();
}

int SendRound::unanswered() const
{
    return int(std::count_if(m_recipients.begin(), m_recipients.end(), [](const Entry &e) {
        return e.state == State::NoAnswer || e.state == State::NotSent;
    }));
}

void SendRound::pump()
{
    while (!m_queue.empty() && m_rate.take(QString())) {
        const size_t i = m_queue.front();
        m_queue.pop_front();
        send(i);
    }
    if (!m_queue.empty())
        m_paceTimer.start(1000 / PerSecond);
}

void SendRound::send(size_t i)
{
    Entry &e = m_recipients[i];
    // The row comes first: its number travels with the message.
    const bool newRow = e.rowNo == 0;
    if (newRow)
        e.rowNo = m_history.logAddSend(e.to.name, m_text);
    const QByteArray bytes =
        cp932::encode(wire::message(m_nameField, m_time, wire::refField(e.rowNo), m_text));
    if (!m_transport.sendBytes(e.to.address, bytes)) {
        if (newRow) {
            m_history.dropLast(e.rowNo); // a message that never left is not recorded
            e.rowNo = 0;
        }
        setState(i, State::NotSent);
        emit troubled();
        return;
    }
    e.released = false;
    e.sentAt = m_clock.elapsedMsecs();
    if (!m_waitTimer.isActive())
        m_waitTimer.start(AnswerWaitMsecs);
    // Sent again, it is the same message: its offer stands.
    if (newRow)
        emit posted(e.to.address, e.rowNo, m_files);
}

void SendRound::expire()
{
    const qint64 now = m_clock.elapsedMsecs();
    qint64 next = -1; // when the next one waiting is due
    bool overdue = false;
    for (size_t i = 0; i < m_recipients.size(); ++i) {
        const Entry &e = m_recipients[i];
        if (e.state != State::Sending || e.rowNo == 0)
            continue;
        const qint64 due = e.sentAt + AnswerWaitMsecs;
        if (due <= now) {
            setState(i, State::NoAnswer);
            overdue = true;
        } else if (next < 0 || due < next) {
            next = due;
        }
    }
    if (next >= 0)
        m_waitTimer.start(int(next - now));
    if (overdue)
        emit troubled();
}

void SendRound::release(const QString &address)
{
    for (Entry &e : m_recipients)
        if (e.to.address == address)
            e.released = true;
}

SendRound::Entry *SendRound::member(const QString &source)
{
    for (Entry &e : m_recipients)
        if (e.to.address == source && !e.released && e.rowNo != 0)
            return &e;
    return nullptr;
}

bool SendRound::moveOn(Entry *e, std::initializer_list<State> from, State to)
{
    if (std::find(from.begin(), from.end(), e->state) == from.end())
        return false; // a second answer, or one that comes after a later one
    setState(size_t(e - m_recipients.data()), to);
    return true;
}

bool SendRound::delivered(const QString &source)
{
    Entry *e = member(source);
    if (e)
        moveOn(e, {State::Sending, State::NoAnswer}, State::Delivered);
    return e;
}

bool SendRound::refused(const QString &source)
{
    Entry *e = member(source);
    if (e && moveOn(e, {State::Sending, State::NoAnswer}, State::Refused))
        emit troubled();
    return e;
}

bool SendRound::answered(wire::Kind kind, const QString &source, int row)
{
    if (kind == wire::Kind::Hold) {
        // A hold names no row: it is the round's peer's.
        Entry *e = member(source);
        if (e)
            moveOn(e, {State::Sending, State::Delivered, State::NoAnswer}, State::Held);
        return e;
    }
    for (Entry &e : m_recipients) {
        if (e.to.address != source || e.rowNo == 0 || e.rowNo != row)
            continue;
        const auto before = {State::Sending, State::Delivered, State::Held, State::NoAnswer};
        if (kind == wire::Kind::OpenConfirm) {
            if (e.state != State::Opened) // the first time it was opened stays
                e.time = fieldtext::timeText(m_clock.now());
            moveOn(&e, before, State::Opened);
        } else {
            moveOn(&e, before, State::Discarded);
        }
        return true;
    }
    return false;
}

void SendRound::setState(size_t i, State state)
{
    m_recipients[i].state = state;
    emit dataChanged(index(int(i), StateCol), index(int(i), StateCol));
}

QString SendRound::summary() const
{
    int counts[StateCount] = {};
    for (const Entry &e : m_recipients)
        ++counts[int(e.state)];
    QStringList parts;
    for (int s = 0; s < StateCount; ++s)
        if (counts[s])
            parts << stateText(State(s)) + u' ' + QString::number(counts[s]);
    return parts.join(u'、');
}

int SendRound::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_recipients.size());
}

int SendRound::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant SendRound::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || role != Qt::DisplayRole)
        return {};
    const Entry &e = m_recipients[size_t(index.row())];
    if (index.column() == NameCol)
        return e.to.name;
    const QString files = e.filesProblem.isEmpty() ? QString() : u'（' + e.filesProblem + u'）';
    if (e.state == State::Opened)
        return stateText(e.state) + u' ' + e.time + files;
    return stateText(e.state) + files;
}

bool SendRound::filesNotTaken(const QString &address, int rowNo, const QString &problem)
{
    for (size_t i = 0; i < m_recipients.size(); ++i) {
        Entry &e = m_recipients[i];
        if (e.rowNo != rowNo || e.to.address != address)
            continue;
        e.filesProblem = problem;
        emit dataChanged(index(int(i), StateCol), index(int(i), StateCol));
        return true;
    }
    return false;
}

QVariant SendRound::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    return section == NameCol ? QStringLiteral("宛先") : QStringLiteral("状態");
}
