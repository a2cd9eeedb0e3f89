// The one table every menu item, tool bar button, shortcut, hint and menu help topic is built from.
#pragma once

#include <QKeySequence>

#include <vector>

enum class MenuGroup { SiteList, View, Window, Setup, Help };

struct CommandInfo {
    int id; // command id; its hint text has the same string id
    MenuGroup menu;
    int textId;                    // menu text
    bool separatorBefore;          // in its menu
    const char* iconFile;          // our own drawing, ":/icons/<name>.svg"; nullptr: no button
    const char* themeIcon;         // the desktop theme's icon, used when the theme has it
    QKeySequence::StandardKey key; // QKeySequence::UnknownKey: none
    int helpId;                    // help context of the menu item
};

// Every menu command in menu order.
const std::vector<CommandInfo>& CommandTable();
const CommandInfo* FindCommand(int id);

// Tool bar layouts: command ids, negative numbers are separators of that width.
const std::vector<int>& ShortToolBar();
const std::vector<int>& FullToolBar();

// The menu titles in menu order.
int MenuTitleId(MenuGroup group);

// Help context of a menu command, 0 when it has none.
int HelpIdForCommand(int id);
