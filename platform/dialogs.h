#pragma once

#include <QString>

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
};
