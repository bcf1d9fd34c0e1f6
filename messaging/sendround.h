#pragma once

#include "answertaker.h"
#include "ratelimiter.h"
#include "wire.h"

#include <QAbstractTableModel>
#include <QTimer>
#include <deque>
#include <vector>

class Clock;
class HistoryModel;
class Transport;

// One message to several peers at once: each gets its own datagram with its
// own history row (so each answer completes its own row), paced so that a
// long list floods neither the socket nor the answers coming back. The list
// shows how each one answered. A new round replaces the last.
class SendRound : public QAbstractTableModel, public AnswerTaker
{
    Q_OBJECT
public:
    enum class State { Sending, Delivered, Refused, Opened, Held, Discarded, NoAnswer, NotSent };
    enum Column { NameCol, StateCol };
    static constexpr int ColumnCount = 2;
    // A peer that has not acknowledged by then is shown as not answering.
    static constexpr int AnswerWaitMsecs = 10000;
    static constexpr int Burst = 20;
    static constexpr int PerSecond = 200;

    struct Recipient
    {
        QString name; // as the list shows it; the history row's recipient
        QString address;
    };

    SendRound(Transport &transport, HistoryModel &history, const Clock &clock,
              QObject *parent = nullptr);

    // Sends text to each, in the order given; files go with it.
    void start(const std::vector<Recipient> &recipients, const QString &nameField,
               const QString &text, const QStringList &files = {});
    // Those without an answer within the wait, or whose datagram the system
    // refused, get the message again (the same row where it was kept).
    void resend();
    int unanswered() const;

    // A message sent to address on its own: its acknowledgement is its own.
    void release(const QString &address);

    // A peer's answer; false when it is not one this round waits for.
    bool delivered(const QString &source) override;
    bool refused(const QString &source) override;
    bool answered(wire::Kind kind, const QString &source, int row) override;

    // The files that went with the message of row rowNo to address were not
    // taken: its state says so. False when it is not one of this round's.
    bool filesNotTaken(const QString &address, int rowNo, const QString &problem);

    // "送信済 2、拒否 1": how many are in each state, in the states' order.
    QString summary() const;
    State state(int row) const { return m_recipients[size_t(row)].state; }

    // What the timers do (a test with its own clock calls them): sends what
    // is due; marks who has been waited for long enough.
    void pump();
    void expire();

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

signals:
    // A round began: its window comes up where results are shown.
    void started();
    // A refusal, or a peer that did not answer: shown even where results are not.
    void troubled();
    // A message left for the first time, with the files that go with it.
    void posted(const QString &address, int rowNo, const QStringList &files);

private:
    struct Entry
    {
        Recipient to;
        int rowNo = 0; // 0: no row kept (not sent yet, or refused by the system)
        State state = State::Sending;
        QString time;      // when it was opened
        qint64 sentAt = 0; // the clock's milliseconds
        bool released = false;
        QString filesProblem; // why its files were not taken
    };
    void send(size_t i);
    void setState(size_t i, State state);
    // The entry of source, when this round waits for its answers.
    Entry *member(const QString &source);
    // Moves e on to state to when it stands in one of from.
    bool moveOn(Entry *e, std::initializer_list<State> from, State to);

    Transport &m_transport;
    HistoryModel &m_history;
    const Clock &m_clock;
    RateLimiter m_rate;
    QTimer m_paceTimer;
    QTimer m_waitTimer;
    std::vector<Entry> m_recipients;
    std::deque<size_t> m_queue;
    QString m_nameField;
    QString m_time;
    QString m_text;
    QStringList m_files;
};
