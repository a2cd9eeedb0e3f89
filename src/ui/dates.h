// How the desktop writes dates: as the user's locale writes them, or in the month/day/year form
// of the legacy program; and whether printed pages and tables follow the screen or keep
// month/day/year, which readers of older printouts and the text tables know.
#pragma once

#include <QString>

#include <string>

struct DateForms {
    bool legacyOnScreen = false;
    bool printedLikeScreen = false;
};

void SetDateForms(const DateForms& forms);
const DateForms& CurrentDateForms();

// A date (month 1-12) as the screen shows it.
QString ScreenDate(int year, int month, int day);
QString LocaleDate(int year, int month, int day);
QString LegacyDate(int year, int month, int day);
// The date printed pages and tables give, or empty for their own month/day/year.
std::string PrintedDate(int year, int month, int day);

// The order in which the screen writes a date's fields ('d', 'm', 'y') and what stands between them.
struct DateFieldOrder {
    char fields[3] = {'m', 'd', 'y'};
    QString separator;
    bool legacy = true;
};
DateFieldOrder ScreenDateOrder();
