#pragma once

#include <QWidget>

class QLabel;
class QPushButton;
class QTreeView;
class SendRound;

// How each peer of a message sent to several answered, as the answers
// arrive. Small, it shows only how many are in each state.
class FrmSndList : public QWidget
{
    Q_OBJECT
public:
    explicit FrmSndList(SendRound &round, QWidget *parent = nullptr);

    void setSmall(bool small);

private:
    void refresh();

    QTreeView *LstResult;
    QLabel *LblSummary;
    QPushButton *CmdResend;
    QPushButton *CmdOk;

    SendRound &m_round;
};
