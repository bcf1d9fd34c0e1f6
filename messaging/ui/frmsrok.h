#pragma once

#include <QWidget>

class QLabel;
class QPushButton;
class QTimer;

// The small result window: a picture, the time and OK.
class FrmSROK : public QWidget
{
    Q_OBJECT
public:
    static constexpr int CloseAfterMs = 10000;

    explicit FrmSROK(QWidget *parent = nullptr);

    // A delivery result's picture or a reader's answer's, and the time.
    void showResult(bool deliveryPicture, const QString &time, bool autoClose);

private:
    QLabel *Label1;
    QLabel *Image1; // delivery results
    QLabel *Image2; // open, hold and discard results
    QWidget *Picture1;
    QPushButton *Command1;
    QTimer *Timer1;
};
