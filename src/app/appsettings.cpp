#include "app/appsettings.h"

#include <QDir>
#include <QFileInfo>

#include <cstdlib>

namespace {

const QString kRecent = QStringLiteral("recentSiteLists");
const QString kViews = QStringLiteral("openViews");
const QString kFrame = QStringLiteral("mainWindow/geometry");
const QString kNavigation = QStringLiteral("orbits/navigationFiles");
const QString kLegacyDates = QStringLiteral("dates/legacyOnScreen");
const QString kPrintedDates = QStringLiteral("dates/printedLikeScreen");

QString Normalised(const QString& path) {
    return QFileInfo(path).absoluteFilePath();
}

} // namespace

std::unique_ptr<QSettings> OpenAppSettings() {
    // A program home of its own (a portable install, the tests) keeps its settings with it.
    if (const char* home = std::getenv("TAVRIN_HOME"); home && *home)
        return std::make_unique<QSettings>(
            QDir(QString::fromLocal8Bit(home)).filePath(QStringLiteral("tavrin.conf")), QSettings::IniFormat);
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("tavrin"),
                                       QStringLiteral("tavrin"));
}

QStringList RecentLists() {
    QStringList list = OpenAppSettings()->value(kRecent).toStringList();
    list.removeAll(QString());
    list.removeDuplicates();
    while (list.size() > kMaxRecentLists)
        list.removeLast();
    return list;
}

void AddRecentList(const QString& path) {
    if (path.isEmpty())
        return;
    QStringList list = RecentLists();
    const QString p = Normalised(path);
    list.removeAll(p);
    list.prepend(p);
    while (list.size() > kMaxRecentLists)
        list.removeLast();
    OpenAppSettings()->setValue(kRecent, list);
}

void RemoveRecentList(const QString& path) {
    QStringList list = RecentLists();
    list.removeAll(path);
    list.removeAll(Normalised(path));
    OpenAppSettings()->setValue(kRecent, list);
}

QStringList RememberedNavigationFiles() {
    QStringList list = OpenAppSettings()->value(kNavigation).toStringList();
    list.removeAll(QString());
    return list;
}

void RememberNavigationFiles(const QStringList& paths) {
    QStringList list;
    for (const QString& p : paths)
        list.append(Normalised(p));
    if (list.isEmpty())
        OpenAppSettings()->remove(kNavigation);
    else
        OpenAppSettings()->setValue(kNavigation, list);
}

QString RememberedOrbitSource(const QString& system) {
    return OpenAppSettings()->value(QStringLiteral("orbits/") + system).toString();
}

void RememberOrbitSource(const QString& system, const QString& source) {
    if (source.isEmpty())
        OpenAppSettings()->remove(QStringLiteral("orbits/") + system);
    else
        OpenAppSettings()->setValue(QStringLiteral("orbits/") + system, source);
}

void ClearRecentLists() {
    OpenAppSettings()->remove(kRecent);
}

void RememberViews(const std::vector<RememberedView>& views) {
    auto settings = OpenAppSettings();
    settings->remove(kViews);
    settings->beginWriteArray(kViews, static_cast<int>(views.size()));
    for (int i = 0; i < static_cast<int>(views.size()); ++i) {
        settings->setArrayIndex(i);
        settings->setValue(QStringLiteral("command"), views[static_cast<size_t>(i)].command);
        settings->setValue(QStringLiteral("geometry"), views[static_cast<size_t>(i)].geometry);
        settings->setValue(QStringLiteral("maximized"), views[static_cast<size_t>(i)].maximized);
        settings->setValue(QStringLiteral("area"), views[static_cast<size_t>(i)].area);
    }
    settings->endArray();
}

std::vector<RememberedView> RememberedViews() {
    auto settings = OpenAppSettings();
    std::vector<RememberedView> views;
    const int n = settings->beginReadArray(kViews);
    for (int i = 0; i < n && i < 3; ++i) {
        settings->setArrayIndex(i);
        RememberedView v;
        v.command = settings->value(QStringLiteral("command")).toInt();
        v.geometry = settings->value(QStringLiteral("geometry")).toRect();
        v.maximized = settings->value(QStringLiteral("maximized")).toBool();
        v.area = settings->value(QStringLiteral("area")).toSize();
        views.push_back(v);
    }
    settings->endArray();
    return views;
}

void RememberFrameGeometry(const QByteArray& geometry) {
    OpenAppSettings()->setValue(kFrame, geometry);
}

QByteArray RememberedFrameGeometry() {
    return OpenAppSettings()->value(kFrame).toByteArray();
}

DateForms RememberedDateForms() {
    auto settings = OpenAppSettings();
    DateForms forms;
    forms.legacyOnScreen = settings->value(kLegacyDates, false).toBool();
    forms.printedLikeScreen = settings->value(kPrintedDates, false).toBool();
    return forms;
}

void RememberDateForms(const DateForms& forms) {
    auto settings = OpenAppSettings();
    settings->setValue(kLegacyDates, forms.legacyOnScreen);
    settings->setValue(kPrintedDates, forms.printedLikeScreen);
}
