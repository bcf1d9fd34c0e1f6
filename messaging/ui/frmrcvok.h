#pragma once

#include <QWidget>

namespace wire {
struct Name;
}
class QLabel;
class QPushButton;
class QTimer;

// Tells the sender that a message was opened, held or discarded.
class FrmRcvOK : public QWidget
{
    Q_OBJECT
public:
    static constexpr int CloseAfterMs = 10000;

    explicit FrmRcvOK(QWidget *parent = nullptr);

    // The result at date and time; a name field that names nobody keeps the
    // title the window has. autoClose: it goes by itself after ten seconds.
    void showResult(const QString &label, const wire::Name &name, const QString &date,
                    const QString &time, bool autoClose);

private:
    QLabel *Label1;
    QLabel *Label2;
    QLabel *Label3;
    QLabel *Image1;
    QPushButton *CmdOK;
    QTimer *Timer1;
};
