#pragma once

#include <QWidget>

class QPushButton;

// "受信": the small window that announces an arrival; its one button shows
// the waiting messages.
class FrmMsgOpen : public QWidget
{
    Q_OBJECT
public:
    explicit FrmMsgOpen(const QIcon &picture, QWidget *parent = nullptr);

signals:
    void openRequested();

private:
    QPushButton *CmdMsgOpen;
};
