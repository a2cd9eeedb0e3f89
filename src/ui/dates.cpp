#include "ui/dates.h"

#include <QDate>
#include <QLocale>

#include "base/strings.h"

namespace {

DateForms g_forms;

// The locale's short form with the whole year: two digits cannot tell 1999 from 2099, and the
// planner takes both.
QString ShortFormat() {
    QString format = QLocale().dateFormat(QLocale::ShortFormat);
    if (!format.contains(QLatin1String("yyyy")))
        format.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    return format;
}

} // namespace

void SetDateForms(const DateForms& forms) {
    g_forms = forms;
}

const DateForms& CurrentDateForms() {
    return g_forms;
}

QString LocaleDate(int year, int month, int day) {
    return QLocale().toString(QDate(year, month, day), ShortFormat());
}

QString LegacyDate(int year, int month, int day) {
    return QString::fromStdString(FormatText("%d/%d/%d", month, day, year));
}

QString ScreenDate(int year, int month, int day) {
    return g_forms.legacyOnScreen ? LegacyDate(year, month, day) : LocaleDate(year, month, day);
}

std::string PrintedDate(int year, int month, int day) {
    if (!g_forms.printedLikeScreen || g_forms.legacyOnScreen)
        return {};
    return LocaleDate(year, month, day).toStdString();
}

DateFieldOrder ScreenDateOrder() {
    DateFieldOrder order;
    if (g_forms.legacyOnScreen)
        return order;
    const QString format = ShortFormat();
    int n = 0;
    int firstEnd = -1, secondStart = -1;
    for (int i = 0; i < format.size() && n < 3; ++i) {
        const QChar c = format[i];
        const char field = c == QLatin1Char('d')   ? 'd'
                           : c == QLatin1Char('M') ? 'm'
                           : c == QLatin1Char('y') ? 'y'
                                                   : 0;
        if (!field)
            continue;
        bool seen = false;
        for (int k = 0; k < n; ++k)
            seen = seen || order.fields[k] == field;
        if (seen)
            continue;
        if (n == 1)
            secondStart = i;
        order.fields[n++] = field;
        if (n == 1) {
            int j = i;
            while (j < format.size() && format[j] == c)
                ++j;
            firstEnd = j;
        }
    }
    // A format that misses a field (none known does) keeps the legacy order.
    if (n < 3)
        return DateFieldOrder{};
    order.separator = format.mid(firstEnd, secondStart - firstEnd).trimmed();
    order.legacy = false;
    return order;
}
