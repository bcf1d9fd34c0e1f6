#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

// Tells the sender that a message was delivered or refused.
class FrmSndOK : public QWidget
{
    Q_OBJECT
public:
    explicit FrmSndOK(QWidget *parent = nullptr);

    // The result, under the title "To " and the peer's name, at date and time.
    void showResult(const QString &label, const QString &peerName, const QString &date,
                    const QString &time);

private:
    QLabel *Label1;
    QLabel *Label2;
    QLabel *Label3;
    QLabel *Image1;
    QPushButton *CmdOk;
};
