#pragma once

#include "trayhost.h"

#include <QSystemTrayIcon>

class QtTrayHost final : public TrayHost
{
    Q_OBJECT
public:
    explicit QtTrayHost(QObject *parent = nullptr);

    bool available() const override;
    void add(const QIcon &icon, const QString &tip) override;
    void modify(const QIcon &icon) override;
    void remove() override;
    void demandAttention(QWidget *window) override;

private:
    QSystemTrayIcon m_icon;
};
