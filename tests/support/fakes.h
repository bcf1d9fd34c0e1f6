#pragma once

#include "clock.h"
#include "datagramport.h"
#include "dialogs.h"
#include "instanceguard.h"
#include "notifier.h"
#include "screenlock.h"
#include "systeminfo.h"
#include "trayhost.h"

#include <QList>
#include <QPair>
#include <functional>

// A clock the test sets.
class FakeClock final : public Clock
{
public:
    QDateTime now() const override { return m_now; }
    qint64 elapsedMsecs() const override { return elapsed; }
    void set(const QDateTime &when) { m_now = when; }
    void setTime(const QString &hhmmss);
    qint64 elapsed = 0; // what elapsedMsecs() gives

private:
    QDateTime m_now = QDateTime(QDate(2026, 12, 8), QTime(10, 15, 0));
};

// Answers every box with the next scripted answer (OK/the default when none
// is left) and keeps what each box said.
class ScriptedDialogs final : public Dialogs
{
public:
    Answer messageBox(const Box &box) override;
    void answerNext(Answer answer) { m_answers << answer; }
    // The file dialogs give the next scripted name (nothing: cancelled).
    QString openFileName(const QString &start) override;
    QString saveFileName(const QString &start) override;
    QStringList openFileNames(const QString &start) override
    {
        const QString first = openFileName(start);
        return first.isEmpty() ? QStringList() : first.split(u'|');
    }
    QString folderName(const QString &start) override { return openFileName(start); }
    // Each: a name, or names separated by "|" for the dialog that takes several.
    QStringList fileNames;
    std::optional<quint32> chooseColor(quint32) override { return color; }
    std::optional<Font> chooseFont(const Font &) override { return font; }
    std::optional<QString> askText(const QString &prompt, const QString &, const QString &) override
    {
        asked << prompt;
        return text;
    }
    std::optional<QString> text; // what the text box gives; nothing: cancelled
    QStringList asked;
    std::optional<quint32> color; // what the choosers give; nothing: cancelled
    std::optional<Font> font;
    QStringList fileDialogStarts;

    QList<Box> shown;
    // Runs while a box is up, before it is answered.
    std::function<void(const Box &)> whileShown;

private:
    QList<Answer> m_answers;
};

// Remembers every datagram sent; arrivals are fed by the test.
class RecordingPort final : public DatagramPort
{
    Q_OBJECT
public:
    BindResult bind() override { return bindResult; }
    QString errorText() const override { return QStringLiteral("test error"); }
    QString localAddress() const override { return address; }
    bool send(const QString &to, const QByteArray &bytes) override
    {
        if (refuse)
            return false;
        sent << qMakePair(to, bytes);
        return true;
    }
    void feed(const QByteArray &bytes, const QString &source)
    {
        emit arrived(bytes, source);
        emit drained();
    }
    // Several datagrams in one batch: (bytes, source) each.
    void feedBatch(const QList<QPair<QByteArray, QString>> &datagrams)
    {
        for (const auto &[bytes, source] : datagrams)
            emit arrived(bytes, source);
        emit drained();
    }

    BindResult bindResult = BindResult::Bound;
    QString address = QStringLiteral("198.18.0.10");
    bool refuse = false; // the system refuses every send
    QList<QPair<QString, QByteArray>> sent;
};

class FakeSystemInfo final : public SystemInfo
{
public:
    QByteArray loginNameBuffer() const override;
    QByteArray login = "taro";
};

class FakeInstanceGuard final : public InstanceGuard
{
public:
    Claim claim() override { return result; }
    QString errorText() const override
    {
        return QStringLiteral("/run/user/1000 は読み取り専用です。");
    }
    Claim result = Claim::Claimed;
};

class FakeTrayHost final : public TrayHost
{
    Q_OBJECT
public:
    bool available() const override { return hasTray; }
    void add(const QIcon &icon, const QString &tip) override;
    void modify(const QIcon &icon) override;
    void remove() override { present = false; }
    void demandAttention(QWidget *) override { ++attentionAsked; }
    void press(Event e) { emit event(e); }

    bool hasTray = true;
    bool present = false;
    QString tip;
    QIcon icon;
    int modifications = 0;
    int attentionAsked = 0;
};

// Keeps what it was asked to show; the test activates it.
class FakeNotifier final : public Notifier
{
    Q_OBJECT
public:
    void notify(const QString &summary, const QString &body) override
    {
        shown << summary + u'|' + body;
    }
    void activate() { emit activated(); }
    QStringList shown;
};

// A screen lock the test locks and unlocks; why: what unheard() says.
class FakeScreenLock final : public ScreenLock
{
    Q_OBJECT
public:
    bool locked() const override { return m_locked; }
    QString unheard() const override { return why; }
    void set(bool locked)
    {
        m_locked = locked;
        emit lockedChanged(locked);
    }
    QString why;

private:
    bool m_locked = false;
};

// n spaces: the fill of fixed-width fields.
inline QString sp(int n)
{
    return QString(n, u' ');
}

// Same picture: compares two icons rendered at 32 pixels.
bool sameIcon(const QIcon &a, const QIcon &b);
// Waits for a top-level widget of that objectName to be visible; nullptr if none.
QWidget *visibleWindow(const QString &objectName, int timeoutMs = 2000);
