// Command ids, posted commands and the two registered events of the edit controls.
#pragma once

#include <QEvent>
#include <QPointer>
#include <QWidget>

// Menu and tool bar commands.
inline constexpr int CM_SITELIST_NEW = 24331;
inline constexpr int CM_SITELIST_OPEN = 24332;
inline constexpr int CM_SITELIST_SAVE = 24333;
inline constexpr int CM_SITELIST_SAVEAS = 24334;
inline constexpr int CM_SITES = 208;
inline constexpr int CM_OBSTRUCTIONS = 99;
inline constexpr int CM_PRINT_GRAPH = 24337;
inline constexpr int CM_PRINT_TABLE = 24338;
inline constexpr int CM_PRINT_SETUP = 1102;
inline constexpr int CM_EXPORT_GRAPH = 44100; // its hint is string 44100
inline constexpr int CM_EXIT = 24310;
inline constexpr int CM_VIEW_VISIBILITY = 1106;
inline constexpr int CM_VIEW_DOP = 1107;
inline constexpr int CM_VIEW_SKY = 1108;
inline constexpr int CM_CASCADE = 24361;
inline constexpr int CM_TILE = 24362;
inline constexpr int CM_ARRANGE_ICONS = 24364;
inline constexpr int CM_CLOSE_ALL = 344;
inline constexpr int CM_SAT_CONFIG = 210;
inline constexpr int CM_OPTIONS = 212;
inline constexpr int CM_TERRAIN = 48250; // ours: its hint is string 48250
inline constexpr int CM_TIME_BAR = 394;
inline constexpr int CM_HELP_TOPICS = 204;
inline constexpr int CM_ABOUT = 205;
// Internal commands.
inline constexpr int CM_RECOMPUTE = 125;
inline constexpr int CM_SHOW_TIME_BAR = 444;
inline constexpr int CM_HIDE_TIME_BAR = 555;
inline constexpr int CM_SHOW_SPLASH = 361;
inline constexpr int CM_ALMANAC_AGE_CHECK = 1111;
inline constexpr int CM_NO_ALMANAC_REPORT = 631;

// Anything that takes the program's commands.
class CommandTarget {
public:
    virtual ~CommandTarget() = default;
    // A sent command: runs now.
    virtual void Command(int id) = 0;
};

// A posted command: runs after the current one, and not at all once `receiver` is gone.
void PostCommand(QObject* receiver, CommandTarget* target, int id);

// "A value may have changed": posted by the edit controls and the time bar to their parents.
// `focus` is the widget that receives the keyboard focus.
class RedrawEvent : public QEvent {
public:
    RedrawEvent(Type type, QWidget* focus) : QEvent(type), focus_(focus) {}
    QWidget* focus() const { return focus_; }

private:
    QPointer<QWidget> focus_;
};

// The registered event types, the same for the whole process.
QEvent::Type CmRedrowAndPar();
QEvent::Type CmRedrowAndParFloat();
void PostRedraw(QObject* receiver, QEvent::Type type, QWidget* focus);

// The object name each control carries so tests and help find it: "id164".
QString ControlName(int id);
// `control` named after its id, for building dialogs.
template <typename T> T* Named(T* control, int id) {
    control->setObjectName(ControlName(id));
    return control;
}
// The id of a control from its object name, 0 when it has none.
int ControlId(const QObject* control);
