#pragma once

#include <QObject>

class Attachments;
class Dialogs;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QWidget;

// The send window's attaching: 添付 (a file chooser), files and folders
// dropped on the window or its message box, a picture pasted into the box,
// and the list of what goes with the next message (Delete takes an item
// off). The window places the button and the list.
class AttachControls : public QObject
{
    Q_OBJECT
public:
    AttachControls(Attachments &attachments, Dialogs &dialogs, QWidget &window,
                   QPlainTextEdit &message);

    QPushButton *button() const { return CmdAttach; }
    QListWidget *list() const { return LstAttach; }
    // 添付: the file chooser.
    void CmdAttach_Click();

signals:
    // The list came or went: the window lays itself out again.
    void shownChanged();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void refresh();
    bool dropped(QEvent *event);
    bool pasted();
    void tell(const QString &problem);

    Attachments &m_attachments;
    Dialogs &m_dialogs;
    QPlainTextEdit &m_message;
    QPushButton *CmdAttach;
    QListWidget *LstAttach;
};
