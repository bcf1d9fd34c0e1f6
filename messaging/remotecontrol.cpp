#include "remotecontrol.h"

#include "awaynote.h"
#include "composer.h"
#include "connectioncheck.h"
#include "fieldtext.h"
#include "localuser.h"
#include "peersearch.h"
#include "userlistmodel.h"

#include <QHostAddress>
#include <QFileInfo>
#include <QTimer>
#include <algorithm>
#include <memory>

RemoteControl::RemoteControl(Composer &composer, PeerSearch &search, ConnectionCheck &checks,
                             UserListModel &users, const LocalUser &user, const AwayNote &note,
                             std::function<int()> waitingCount, QObject *parent)
    : ScriptTarget(parent), m_composer(composer), m_search(search), m_checks(checks),
      m_users(users), m_user(user), m_note(note), m_waitingCount(std::move(waitingCount))
{
}

RemoteControl::Found RemoteControl::find(const QString &peer, QString *address, QString *name) const
{
    const QString wanted = peer.trimmed();
    const QHostAddress ip(wanted);
    // Dotted in full: a name of digits ("12") is a name, not 0.0.0.12.
    if (ip.protocol() == QAbstractSocket::IPv4Protocol && ip.toString() == wanted) {
        // One host, never a whole network: the window cannot do that either.
        if (!m_search.isOneHost(ip.toIPv4Address()))
            return Found::NotOneHost;
        *address = wanted;
        const UserListModel::Row *row = m_users.rowAt(wanted);
        *name = row ? row->name : wanted;
        // An address needs no list: the message goes there as typed.
        return Found::One;
    }
    int found = 0;
    for (int r = 0; r < m_users.rowCount(); ++r) {
        const UserListModel::Row &row = m_users.at(r);
        if (namesPeer({row.name, row.login, row.address}, wanted) && ++found == 1) {
            *address = row.address;
            *name = row.name;
        }
    }
    return found == 0 ? Found::None : found == 1 ? Found::One : Found::Several;
}

void RemoteControl::send(const QString &peer, const QString &typed, const QStringList &files,
                         Done done)
{
    const QString text = fieldtext::crlf(typed);
    if (text.isEmpty() || fieldtext::hasControl(text) ||
        !Composer::fits(m_user.composeName(), text))
        return done(QStringLiteral("invalid"));
    // Paths as the caller's shell sees them would mean what this copy's
    // folder makes of them: only whole paths, each one there to read.
    for (const QString &path : files) {
        const QFileInfo info(path);
        if (!info.isAbsolute() || !info.exists() || !info.isReadable())
            return done(QStringLiteral("invalid"));
    }
    QString address, name;
    switch (find(peer, &address, &name)) {
    case Found::One:
        return post(address, name, text, files, std::move(done));
    case Found::Several:
        return done(QStringLiteral("ambiguous-peer"));
    case Found::NotOneHost:
        return done(QStringLiteral("not-one-host"));
    case Found::None:
        break;
    }
    // A name not listed: the list is searched again, and the name waited for.
    auto *wait = new QObject(this);
    auto over = std::make_shared<bool>(false);
    const auto tryAgain = [this, peer, text, files, done, wait, over] {
        QString a, n;
        if (*over || find(peer, &a, &n) != Found::One)
            return;
        *over = true;
        wait->deleteLater();
        post(a, n, text, files, done);
    };
    connect(&m_users, &UserListModel::countChanged, wait, tryAgain);
    // The search may begin only at the end of the gap between searches.
    const qint64 begins = m_search.refresh();
    QTimer::singleShot(int(begins) + SearchWaitMsecs, wait, [done, wait, over] {
        if (std::exchange(*over, true))
            return;
        wait->deleteLater();
        done(QStringLiteral("unknown-peer"));
    });
}

void RemoteControl::post(const QString &address, const QString &name, const QString &text,
                         const QStringList &files, Done done)
{
    // Waited for first: the file channel may tell of the offer while the
    // message is being posted.
    auto *wait = new QObject(this);
    m_pending.push_back({address, std::move(done), wait, !files.isEmpty(), {}, {}});
    // post gives only Sent, TooLong or Refused.
    const Posted posted = m_composer.post(address, name, m_user.composeName(), text, files);
    const auto mine = [wait](const Pending &p) { return p.wait == wait; };
    if (posted == Posted::TooLong)
        return void(finish(mine, QStringLiteral("invalid")));
    if (posted != Posted::Sent) // the system would not send it: it never arrives
        return void(finish(mine, QStringLiteral("no-answer")));
    QTimer::singleShot(AnswerWaitMsecs, wait, [this, wait] {
        finish([wait](const Pending &p) { return p.wait == wait; }, QStringLiteral("no-answer"));
    });
}

bool RemoteControl::finish(const std::function<bool(const Pending &)> &which, const QString &result)
{
    const auto it = std::find_if(m_pending.begin(), m_pending.end(), which);
    if (it == m_pending.end())
        return false;
    const Done done = it->done;
    it->wait->deleteLater();
    m_pending.erase(it);
    done(result);
    return true;
}

bool RemoteControl::delivered(const QString &source)
{
    const auto it = std::find_if(m_pending.begin(), m_pending.end(), [&source](const Pending &p) {
        return p.address == source && !p.answer;
    });
    if (it == m_pending.end())
        return false;
    if (it->files && !it->filesProblem) {
        it->answer = QStringLiteral("delivered"); // and the files still to be told
        return true;
    }
    const QString result =
        it->files && !it->filesProblem->isEmpty() ? QStringLiteral("no-files") : QStringLiteral("delivered");
    const Pending *found = &*it;
    return finish([found](const Pending &p) { return &p == found; }, result);
}

bool RemoteControl::filesOffered(const QString &address, const QString &problem)
{
    const auto it = std::find_if(m_pending.begin(), m_pending.end(), [&address](const Pending &p) {
        return p.address == address && p.files && !p.filesProblem;
    });
    if (it == m_pending.end())
        return false;
    it->filesProblem = problem;
    if (it->answer) {
        const Pending *found = &*it;
        finish([found](const Pending &p) { return &p == found; },
               problem.isEmpty() ? *it->answer : QStringLiteral("no-files"));
    }
    return true;
}

bool RemoteControl::refused(const QString &source)
{
    return finish([&source](const Pending &p) { return p.address == source; },
                  QStringLiteral("refused"));
}

QList<PeerEntry> RemoteControl::peers() const
{
    QList<PeerEntry> list;
    for (int r = 0; r < m_users.rowCount(); ++r) {
        const UserListModel::Row &row = m_users.at(r);
        list << PeerEntry{row.name, row.login.trimmed(), row.address};
    }
    return list;
}

void RemoteControl::search()
{
    // Paced as 再検索 is; the user's list and choice stay.
    m_search.refresh();
}

void RemoteControl::check(const QString &address, Checked done)
{
    m_checks.check(address, [done = std::move(done)](const ConnectionCheck::Result &r) {
        done(ConnectionCheck::outcomeName(r.outcome), r.sentence);
    });
}

bool RemoteControl::away() const
{
    return m_note.isSet();
}
