#pragma once

#include <QWidget>

class Dialogs;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class ReceivedFiles;

// Under a received message's text: the files and folders it offers, with
// 保存 (into the download folder), 名前を付けて保存 (a folder the user
// chooses), and while they come a progress bar with the rate and 中止.
class FilesPanel : public QWidget
{
    Q_OBJECT
public:
    FilesPanel(ReceivedFiles &files, Dialogs &dialogs, QWidget *parent = nullptr);

    // Whether the message on display offers anything.
    bool offers() const;
    // As the model stands now.
    void refresh();

private:
    void CmdSaveAs_Click();

    ReceivedFiles &m_files;
    Dialogs &m_dialogs;
    QListWidget *LstFiles;
    QPushButton *CmdSave;
    QPushButton *CmdSaveAs;
    QPushButton *CmdAbort;
    QProgressBar *PrgFiles;
    QLabel *LblFiles;
};
