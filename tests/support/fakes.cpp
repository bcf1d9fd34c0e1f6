#include "fakes.h"

#include <QApplication>
#include <QImage>
#include <QTest>
#include <QWidget>

void FakeClock::setTime(const QString &hhmmss)
{
    m_now.setTime(QTime::fromString(hhmmss, QStringLiteral("HH:mm:ss")));
}

Dialogs::Answer ScriptedDialogs::messageBox(const Box &box)
{
    shown << box;
    if (whileShown)
        whileShown(box);
    if (!m_answers.isEmpty())
        return m_answers.takeFirst();
    return box.defaultAnswer;
}

QByteArray FakeSystemInfo::loginNameBuffer() const
{
    QByteArray buffer(20, '\0');
    if (login.size() < 20)
        buffer.replace(0, login.size(), login);
    return buffer;
}

QString ScriptedDialogs::openFileName(const QString &start)
{
    fileDialogStarts << start;
    return fileNames.isEmpty() ? QString() : fileNames.takeFirst();
}

QString ScriptedDialogs::saveFileName(const QString &start)
{
    return openFileName(start);
}

void FakeTrayHost::add(const QIcon &i, const QString &t)
{
    present = true;
    icon = i;
    tip = t;
}

void FakeTrayHost::modify(const QIcon &i)
{
    icon = i;
    ++modifications;
}

bool sameIcon(const QIcon &a, const QIcon &b)
{
    return a.pixmap(32).toImage() == b.pixmap(32).toImage();
}

QWidget *visibleWindow(const QString &objectName, int timeoutMs)
{
    QWidget *found = nullptr;
    [[maybe_unused]] const bool seen = QTest::qWaitFor(
        [&] {
            for (QWidget *w : QApplication::topLevelWidgets())
                if (w->objectName() == objectName && w->isVisible()) {
                    found = w;
                    return true;
                }
            return false;
        },
        timeoutMs);
    return found;
}
