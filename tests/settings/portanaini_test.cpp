// portana.ini: an office's system-wide file under the user's own, values
// that do not read, and a file that cannot be written.
#include "portanaini.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// The options in force, one field each, in declaration order.
QString shown(const IniOptions &o)
{
    QStringList groups;
    for (const Group &g : o.groups) {
        QStringList members;
        for (const GroupMember &m : g.members)
            members << m.text();
        groups << g.name + u'=' + members.join(u'+');
    }
    static const char *const keep[] = {"all", "days", "rows"};
    return QStringList{o.searchTargets.join(u','), o.notifyWithTray ? u"on"_s : u"off"_s,
                       QLatin1String(keep[int(o.historyKeep.keep)]) + u' ' +
                           QString::number(o.historyKeep.count),
                       groups.join(u','),
                       o.filesFolder + u' ' + (o.filesAutoSave ? u"on"_s : u"off"_s) + u' ' +
                           QString::number(o.filesMaxSize)}
        .join(u" | "_s);
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    if (bytes.isNull())
        return;
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

const QByteArray Office = u"[search]\ntargets=198.18.6.0/24, files.example\n"
                          "[notify]\nwithTray=true\n[history]\nkeep=days\ncount=14\n"
                          "[groups]\n1\\name=総務\n1\\members=sato@198.18.6.3, ito@198.18.6.4\n"
                          "size=1\n[files]\nfolder=/srv/受信\nmaxSize=50\n"_s.toUtf8();

} // namespace

class PortanaIniTest : public QObject
{
    Q_OBJECT
private slots:
    void layers_data();
    void layers();
    void unwritableFile();
};

void PortanaIniTest::layers_data()
{
    QTest::addColumn<QByteArray>("system");
    QTest::addColumn<QByteArray>("user");
    QTest::addColumn<QString>("inForce");
    QTest::newRow("nothing") << QByteArray() << QByteArray() << u" | off | all 0 |  |  off 100"_s;
    QTest::newRow("the office's") << Office << QByteArray()
                                  << u"198.18.6.0/24,files.example | on | days 14 | "
                                     "総務=sato@198.18.6.3+ito@198.18.6.4 | /srv/受信 off 50"_s;
    QTest::newRow("the user's over the office's")
        << Office
        << QByteArray("[notify]\nwithTray=false\n[history]\nkeep=rows\ncount=500\n"
                      "[files]\nautoSave=true\nmaxSize=20\n")
        << u"198.18.6.0/24,files.example | off | rows 500 | "
           "総務=sato@198.18.6.3+ito@198.18.6.4 | /srv/受信 on 20"_s;
    // What does not read is passed over: the office's value stands.
    QTest::newRow("not read, the office's stands")
        << Office
        << QByteArray("[notify]\nwithTray=perhaps\n[history]\nkeep=days\ncount=many\n"
                      "[files]\nmaxSize=many\n")
        << u"198.18.6.0/24,files.example | on | days 14 | 総務=sato@198.18.6.3+ito@198.18.6.4 | "
           "/srv/受信 off 50"_s;
    // ... or the default, which removes nothing and tells nobody more.
    QTest::newRow("not read, the default stands")
        << QByteArray()
        << QByteArray("[notify]\nwithTray=yes please\n[history]\nkeep=weeks\ncount=3\n"
                      "[groups]\n1\\name=\n1\\members=a@198.18.6.9\nsize=1\n"
                      "[files]\nmaxSize=-5\n")
        << u" | off | all 0 |  |  off 100"_s;
}

void PortanaIniTest::layers()
{
    QFETCH(QByteArray, system);
    QFETCH(QByteArray, user);
    QFETCH(QString, inForce);
    QTemporaryDir dir;
    writeFile(dir.filePath(u"office.ini"_s), system);
    writeFile(dir.filePath(u"portana.ini"_s), user);
    const PortanaIni ini(dir.filePath(u"portana.ini"_s),
                         {dir.filePath(u"missing.ini"_s), dir.filePath(u"office.ini"_s)});
    QCOMPARE(shown(ini.options()), inForce);
}

void PortanaIniTest::unwritableFile()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(u"portana.ini"_s);
    writeFile(dir.filePath(u"office.ini"_s), Office);
    PortanaIni ini(file, {dir.filePath(u"office.ini"_s)});
    QSignalSpy changed(&ini, &PortanaIni::changed);

    // A folder where the file belongs: told of each option that changed,
    // and those are in force all the same.
    QVERIFY(QDir(dir.path()).mkdir(u"portana.ini"_s));
    IniOptions edited = ini.options();
    edited.searchTargets = {u"198.18.9.1"_s};
    edited.notifyWithTray = false;
    QCOMPARE(ini.commit(edited), (QStringList{u"検索先を保存できませんでした。"_s,
                                              u"通知の設定を保存できませんでした。"_s}));
    QCOMPARE(changed.size(), 1);
    QCOMPARE(shown(ini.options()),
             u"198.18.9.1 | off | days 14 | 総務=sato@198.18.6.3+ito@198.18.6.4 | /srv/受信 off 50"_s);

    // The next commit writes them, though nothing changed since; only they
    // are written, the office's others stay the office's.
    QVERIFY(QDir(dir.path()).rmdir(u"portana.ini"_s));
    QCOMPARE(ini.commit(ini.options()), QStringList());
    QCOMPARE(readFile(file),
             QByteArray("[notify]\nwithTray=false\n\n[search]\ntargets=198.18.9.1\n"));
    QCOMPARE(changed.size(), 1);
    // Saved: the same options again write nothing.
    QVERIFY(QFile::remove(file));
    QCOMPARE(ini.commit(ini.options()), QStringList());
    QVERIFY(!QFile::exists(file));
    // Read back, the user's file stands over the office's.
    QVERIFY(QFile::remove(dir.filePath(u"office.ini"_s)));
    edited.historyKeep = {KeepRule::Keep::Rows, 250};
    QCOMPARE(ini.commit(edited), QStringList());
    QCOMPARE(shown(PortanaIni(file, {}).options()), u" | off | rows 250 |  |  off 100"_s);
}

QTEST_GUILESS_MAIN(PortanaIniTest)
#include "portanaini_test.moc"
