#pragma once

#include <QObject>
#include <QSqlDatabase>
#include <QString>
#include <memory>

// The database the history and the waiting messages live in: SQLite, with a
// write-ahead log, so a commit survives a crash of the program and, within a
// second, a cut of power. Writes gather into one transaction between begin()
// and end(); the datagrams of one drain form one batch, committed before
// their acknowledgements leave.
class Checkpointer;

class Store : public QObject
{
    Q_OBJECT
public:
    enum class Problem { None, CannotOpen, Damaged, Newer };
    static constexpr int Version = 1;
    // Above this size on disk new messages are refused.
    static constexpr qint64 SizeLimit = qint64(2) << 30;

    explicit Store(QObject *parent = nullptr);
    ~Store() override;

    // path empty: kept in memory only. A database that cannot be opened, is
    // damaged or is of a newer version is left as it is; the store then
    // keeps nothing beyond this run (and says which problem it met).
    Problem open(const QString &path);
    bool isKept() const { return m_kept; }
    QString path() const { return m_path; }
    QSqlDatabase db() const { return m_db; }

    // Nested: the outermost end() commits; false when that commit failed,
    // and everything since the outermost begin() was undone.
    void begin();
    bool end();
    // A statement failed: the transaction it was in is to be undone.
    void failed(const QString &what);

    // The rows and entries take more than the limit (free pages left by
    // 履歴ｸﾘｱ do not count).
    bool overLimit() const;
    void setSizeLimit(qint64 bytes) { m_sizeLimit = bytes; }

    // The next free key for a history row; never one used since the last clear.
    qint64 takeKeys(qint64 count);
    void releaseKey(qint64 key);
    qint64 peekKey() const { return m_nextKey; }

    // A null text would be stored as NULL; every text column holds text.
    static QString text(const QString &s) { return s.isNull() ? QStringLiteral("") : s; }

    // Small numbers kept beside the tables (within the open transaction).
    qint64 meta(const QString &name, qint64 otherwise = 0) const;
    void setMeta(const QString &name, qint64 value);

signals:
    // open() is done: the tables can be read.
    void opened();
    // A commit failed: what the models hold was read back from the store.
    void rolledBack();

private:
    Problem check();
    bool createOrCheck();
    // The next key, read from the tables; false when they do not read.
    bool readState();
    bool execAll(const QStringList &statements);

    QSqlDatabase m_db;
    QString m_connection;
    QString m_path;
    bool m_kept = false;
    int m_depth = 0;
    bool m_failed = false;
    qint64 m_nextKey = 1;
    qint64 m_sizeLimit = SizeLimit;
    std::unique_ptr<Checkpointer> m_checkpointer; // only for a store on disk
};
