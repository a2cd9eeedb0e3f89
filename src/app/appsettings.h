// What the program remembers beyond its configuration file: the main window's place, the views
// that were open, the recently used site lists and the date forms. Kept by QSettings in the desktop's usual
// place, or beside the configuration when a program home is given ($TAVRIN_HOME).
#pragma once

#include <QByteArray>
#include <QRect>
#include <QSettings>
#include <QStringList>

#include <memory>
#include <vector>

#include "ui/dates.h"

inline constexpr int kMaxRecentLists = 8;

std::unique_ptr<QSettings> OpenAppSettings();

// Most recent first, at most kMaxRecentLists, no duplicates.
QStringList RecentLists();
void AddRecentList(const QString& path);
void RemoveRecentList(const QString& path);
void ClearRecentLists();

// A view that was open: its View command, its window's place, the size of the client area that
// place was in (empty when not known), and whether it was maximised.
struct RememberedView {
    int command = 0;
    QRect geometry;
    bool maximized = false;
    QSize area;
};
void RememberViews(const std::vector<RememberedView>& views);
std::vector<RememberedView> RememberedViews();

// The navigation files planned with, absolute, in the order they were added.
QStringList RememberedNavigationFiles();
void RememberNavigationFiles(const QStringList& paths);
// The orbit source the user chose for a system (its name in the settings, e.g. "gps"): "almanac",
// "navigation", or empty for the source nearest the planning date.
QString RememberedOrbitSource(const QString& system);
void RememberOrbitSource(const QString& system, const QString& source);

// The date forms chosen in Options; the locale's form on screen and month/day/year on paper until then.
DateForms RememberedDateForms();
void RememberDateForms(const DateForms& forms);

void RememberFrameGeometry(const QByteArray& geometry);
QByteArray RememberedFrameGeometry();
