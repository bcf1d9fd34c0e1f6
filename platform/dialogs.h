#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// Modal questions to the user. Logic asks through this, so a test can answer
// the box and read what it said.
class Dialogs
{
public:
    enum class Icon { None, Critical, Question, Exclamation, Information };
    enum class Buttons { Ok, OkCancel, YesNo, RetryCancel };
    // The codes the program keeps as its last answer ("6" for Yes).
    enum Answer { Ok = 1, Cancel = 2, Retry = 4, Yes = 6, No = 7 };

    struct Box
    {
        QString text;
        QString title;
        Icon icon = Icon::None;
        Buttons buttons = Buttons::Ok;
        Answer defaultAnswer = Ok;
    };

    virtual ~Dialogs() = default;
    // Shows text as plain text, never as markup.
    virtual Answer messageBox(const Box &box) = 0;
    // The file dialogs, starting at start; an empty text when cancelled.
    virtual QString openFileName(const QString &start) = 0;
    virtual QString saveFileName(const QString &start) = 0;
    // Files to attach (several at once), and a folder to save into.
    virtual QStringList openFileNames(const QString &start) = 0;
    virtual QString folderName(const QString &start) = 0;

    // A font as the settings hold it.
    struct Font
    {
        QString family;
        double pointSize = 9;
        bool italic = false;
        bool bold = false;
        bool underline = false;
        bool strikeOut = false;
    };
    // The colour and font choosers; nothing when the user cancels. Colours
    // are 24-bit values as the settings store them (red in the low byte).
    virtual std::optional<quint32> chooseColor(quint32 initial) = 0;
    virtual std::optional<Font> chooseFont(const Font &initial) = 0;
    // A line of text; nothing when the user cancels.
    virtual std::optional<QString> askText(const QString &prompt, const QString &title,
                                           const QString &initial) = 0;
};
