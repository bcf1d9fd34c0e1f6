#pragma once

#include "dialogs.h"

class QtDialogs final : public Dialogs
{
public:
    Answer messageBox(const Box &box) override;
    QString openFileName(const QString &start) override;
    QString saveFileName(const QString &start) override;
    QStringList openFileNames(const QString &start) override;
    QString folderName(const QString &start) override;
    std::optional<quint32> chooseColor(quint32 initial) override;
    std::optional<Font> chooseFont(const Font &initial) override;
    std::optional<QString> askText(const QString &prompt, const QString &title,
                                   const QString &initial) override;
};
