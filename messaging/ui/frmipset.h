#pragma once

#include <QWidget>

class QLineEdit;
class QPushButton;
class SettingsStore;

// "IPｱﾄﾞﾚｽ指定": a peer the broadcast cannot reach, by name and address.
class FrmIPset : public QWidget
{
    Q_OBJECT
public:
    explicit FrmIPset(SettingsStore &store, QWidget *parent = nullptr);

private:
    QLineEdit *TxtName;
    QLineEdit *TxtIP;
    QPushButton *Command1;
    QPushButton *Command2;

    void Command1_Click();

    SettingsStore &m_store;
};
