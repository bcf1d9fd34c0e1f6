#pragma once

#include <QWidget>

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

    QLabel *Label1;
    QLabel *Label2;
    QLabel *Label3;
    QLabel *Image1;
    QPushButton *CmdOK;
    QTimer *Timer1;
};
