#pragma once

#include "group.h"
#include "keeprule.h"

#include <QStringList>

// Every option of portana.ini, declared once: its type, its name, its
// default, its key, and what the user is told when it could not be saved.
// A type is read and written by inivalue. A new option is one line here,
// its control on a page of the options dialog, and its use.
#define PORTANA_INI_OPTIONS(X)                                                                     \
    /* Where a search goes besides this copy's own networks. */                                    \
    X(QStringList, searchTargets, {}, "search/targets", "検索先を保存できませんでした。")          \
    /* An arrival is also told by a desktop notification where the tray tells of it. */            \
    X(bool, notifyWithTray, false, "notify/withTray", "通知の設定を保存できませんでした。")        \
    /* keep=all|days|rows, and count=N beside it. */                                               \
    X(KeepRule, historyKeep, {}, "history/keep", "履歴の保存の設定を保存できませんでした。")       \
    /* While the screen is locked, peers see this note (when the user has none). */               \
    X(bool, awayOnLock, false, "away/onLock", "置き手紙の設定を保存できませんでした。")            \
    X(QString, awayText, QStringLiteral("席を外しています。"), "away/text",                        \
      "置き手紙の設定を保存できませんでした。")                                                    \
    /* Where received files are saved (empty: the download folder's portana), */               \
    /* whether they are saved as they arrive, and up to how many MB in all. */                     \
    X(QString, filesFolder, {}, "files/folder", "ﾌｧｲﾙの設定を保存できませんでした。")              \
    X(bool, filesAutoSave, false, "files/autoSave", "ﾌｧｲﾙの設定を保存できませんでした。")          \
    X(int, filesMaxSize, 100, "files/maxSize", "ﾌｧｲﾙの設定を保存できませんでした。")               \
    /* An array of name and members, each member "login@address". */                               \
    X(QList<Group>, groups, {}, "groups", "ｸﾞﾙｰﾌﾟを保存できませんでした。")

struct IniOptions
{
#define PORTANA_DECLARE_INI_OPTION(type, name, fallback, key, unsaved) type name = fallback;
    PORTANA_INI_OPTIONS(PORTANA_DECLARE_INI_OPTION)
#undef PORTANA_DECLARE_INI_OPTION
    bool operator==(const IniOptions &) const = default;
};
