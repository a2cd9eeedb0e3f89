// The help window: HTML pages compiled into the program, one per help context id, plus a contents
// page. A context without a page of its own shows the general topic 12003.
#pragma once

#include <QString>

class QObject;
class QWidget;

// The topic shown when a request names no known context.
inline constexpr int kHelpDefaultContext = 12003;
// The topic of the help contents command, as the id the menu's help table gives it.
inline constexpr int kHelpContentsContext = 10100;

// Shows the topic of `contextId` in the help window (created on first use, then reused and raised).
void ShowHelpContext(QWidget* owner, int contextId);
// Shows the contents page.
void ShowHelpContents(QWidget* owner);

// The resource path of the page that `contextId` shows: its own page, else the 12003 topic.
QString HelpPageFor(int contextId);
// The context id of the page the help window shows now; 0 when no help window is open.
int ShownHelpContext();
// Closes the help window if it is open (at exit, and between tests).
void CloseHelpWindow();

// Attaches a help context to a window and its controls (a dialog while it is open) or to a menu
// action; 0 detaches it.
void SetHelpContext(QObject* object, int contextId);
// The context F1 shows for `target`: an open menu's highlighted item, else the nearest window
// up from `target` with a context attached; the 12003 topic when none has one.
int HelpContextFor(QObject* target);
// F1 anywhere in the program shows the topic of what has the focus or the highlighted menu item.
void InstallHelpKey();
