#include "engine/global.h"

#include <cassert>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "engine/strings.h"

namespace fs = std::filesystem;

// ---- time ----------------------------------------------------------------------------------

int DayOfYear(int yearSince1900, int month0, int day) {
    int m = month0 - 2; // months counted from March
    if (m < 0)
        m = month0 + 10;
    int c = day + (m * 157) / 5 - (m * 4) / 5 - 306;
    if (c <= 0)
        c += yearSince1900 % 4 == 0 ? 366 : 365;
    return c;
}

namespace {

void SetMonthFromDayOfYear(CalendarTime& t) {
    int g = t.dayOfYear / 30;
    if (g > 11)
        g = 11;
    if (t.dayOfYear < DayOfYear(t.year, g, 1))
        --g;
    t.month = g;
    t.day = t.dayOfYear - DayOfYear(t.year, g, 1) + 1;
}

// Floor division and modulo for the negative values that day arithmetic can meet.
int32_t FloorDiv(int32_t a, int32_t b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}
int32_t FloorMod(int32_t a, int32_t b) {
    return a - FloorDiv(a, b) * b;
}

} // namespace

CalendarTime MakeCalendarTime(int hour, int minute, int second, int day, int month, int year) {
    CalendarTime t;
    t.hour = hour;
    t.minute = minute;
    t.second = second;
    t.day = day;
    t.month = month - 1;
    t.year = year - 1900;
    t.dayOfYear = DayOfYear(t.year, t.month, day);
    return t;
}

CalendarTime CalendarFromDayOfYear(int hour, int minute, int second, int dayOfYear, int year) {
    CalendarTime t;
    t.hour = hour;
    t.minute = minute;
    t.second = second;
    t.year = year - 1900;
    t.dayOfYear = dayOfYear;
    SetMonthFromDayOfYear(t);
    return t;
}

DayTime ToDayTime(const CalendarTime& t) {
    const int y = t.year;
    DayTime d;
    d.day = t.dayOfYear + 365 * (y - 1) + (y - 1) / 4 + 15384;
    d.fraction = ((t.hour * 60 + t.minute) * 60 + t.second) / 86400.0;
    return d;
}

CalendarTime FromDayTime(const DayTime& dt) {
    double sd = dt.fraction * 86400.0 + 0.5;
    int32_t s = sd > 0 ? static_cast<int32_t>(sd) : 0;
    const int32_t a = dt.day - kMjd1901;
    const int32_t d = FloorMod(a, 1461);
    CalendarTime t;
    t.dayOfYear = d == 1460 ? 366 : d % 365 + 1;
    t.year = 1 + 4 * FloorDiv(a, 1461) + d / 365 - (d == 1460 ? 1 : 0);
    t.hour = s / 3600;
    t.minute = (s % 3600) / 60;
    t.second = s % 60;
    SetMonthFromDayOfYear(t);
    return t;
}

GpsTime ToGpsTime(const CalendarTime& t) {
    const DayTime d = ToDayTime(t);
    const int32_t a = d.day - kMjdGpsEpoch;
    GpsTime g;
    g.week = FloorDiv(a, 7);
    g.seconds = (FloorMod(a, 7) + d.fraction) * 86400.0;
    return g;
}

CalendarTime GpsToCalendar(const GpsTime& g) {
    DayTime d;
    const double days = std::floor(g.seconds / 86400.0);
    d.day = static_cast<int32_t>(days) + 7 * g.week + kMjdGpsEpoch;
    d.fraction = std::fmod(g.seconds, 86400.0) / 86400.0;
    if (d.fraction < 0)
        d.fraction += 1.0;
    return FromDayTime(d);
}

void AddSeconds(GpsTime& t, double seconds) {
    t.seconds += seconds;
    if (t.seconds >= 0 && t.seconds < kSecondsPerWeek)
        return;
    const double weeks = std::floor(t.seconds / kSecondsPerWeek);
    t.week += static_cast<int32_t>(weeks);
    t.seconds -= weeks * kSecondsPerWeek;
    if (t.seconds >= kSecondsPerWeek) { // rounding at the upper edge
        t.seconds -= kSecondsPerWeek;
        ++t.week;
    }
}

void SubtractSeconds(GpsTime& t, double seconds) {
    AddSeconds(t, -seconds);
}

GlonassTime ToGlonassTime(const CalendarTime& t) {
    const DayTime d = ToDayTime(t);
    GlonassTime g;
    g.dayIndex = FloorMod(d.day - 15019, 1461);
    g.timeOfDay = static_cast<int32_t>(43200.0 * d.fraction);
    return g;
}

void AddSeconds(GlonassTime& t, double seconds) {
    int32_t s = static_cast<int32_t>(2.0 * t.timeOfDay + seconds);
    if (s > 86399) {
        t.dayIndex = (t.dayIndex + s / 86400) % 1461;
        s %= 86400;
    }
    t.timeOfDay = s / 2;
}

bool IsValidDate(int day, int month, int year) {
    if (year < 1901 || year > 2099 || month < 1 || month > 12 || day < 1)
        return false;
    if (year == 1901 && month < 3) // the calendar rule holds from 1 March 1901
        return false;
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const int last = kDays[month - 1] + (month == 2 && year % 4 == 0 ? 1 : 0);
    return day <= last;
}

// ---- planning interval -------------------------------------------------------------------------

PlanInterval::PlanInterval(int day, int month, int year, int beginH, int beginM, int endH, int endM) {
    beginHour = static_cast<int16_t>(beginH);
    beginMinute = static_cast<int16_t>(beginM);
    beginDay = static_cast<int16_t>(day);
    beginMonth = static_cast<int16_t>(month);
    beginYear = static_cast<int16_t>(year);
    endHour = static_cast<int16_t>(endH);
    endMinute = static_cast<int16_t>(endM);
    int d = day, m = month, y = year;
    if (!(endH > beginH || (endH == beginH && endM > beginM))) {
        const DayTime next{ToDayTime(MakeCalendarTime(0, 0, 0, day, month, year)).day + 1, 0.0};
        const CalendarTime c = FromDayTime(next);
        d = c.day;
        m = c.month + 1;
        y = c.year + 1900;
    }
    endDay = static_cast<int16_t>(d);
    endMonth = static_cast<int16_t>(m);
    endYear = static_cast<int16_t>(y);
}

PlanInterval PlanInterval::Today() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    if (const std::tm* p = std::localtime(&now))
        local = *p;
    return PlanInterval(local.tm_mday, local.tm_mon + 1, local.tm_year + 1900, 0, 0, 24, 0);
}

int IntervalStartSeconds(const PlanInterval& interval) {
    return interval.beginHour * 3600 + interval.beginMinute * 60;
}

// ---- geodesy and angles --------------------------------------------------------------------------

Ellipsoid g_ellipsoid;

void InitEllipsoid() {
    g_ellipsoid.a = 6378137.0;
    g_ellipsoid.e = 0.0818191913305;
    g_ellipsoid.e2 = g_ellipsoid.e * g_ellipsoid.e;
}

void GeodeticToEcef(double latitude, double longitude, double height, double& x, double& y, double& z) {
    const double s = std::sin(latitude);
    const double n = g_ellipsoid.a / std::sqrt(1.0 - g_ellipsoid.e2 * s * s);
    x = (n + height) * std::cos(latitude) * std::cos(longitude);
    y = (n + height) * std::cos(latitude) * std::sin(longitude);
    z = (n * (1.0 - g_ellipsoid.e2) + height) * s;
}

void DegreesToDms(double value, int& degrees, int& minutes, int& seconds, int& hundredths) {
    const long long t = static_cast<long long>(std::floor(value * 360000.0 + 0.5));
    degrees = static_cast<int>(t / 360000);
    minutes = static_cast<int>((t % 360000) / 6000);
    seconds = static_cast<int>((t % 6000) / 100);
    hundredths = static_cast<int>(t % 100);
}

long double DmsToDegrees(int degrees, int minutes, int seconds, int hundredths) {
    return degrees + minutes * 0.016666666666666666L + seconds * 0.0002777777777777778L +
           hundredths * 2.777777777777778e-6L;
}

void SplitDegrees(double value, int& degrees, int& minutes, double& seconds) {
    const double d = std::floor(value);
    degrees = static_cast<int>(d);
    const double r = (value - d) * 60.0;
    const double m = std::floor(r);
    minutes = static_cast<int>(m);
    seconds = (r - m) * 60.0;
}

// ---- files ---------------------------------------------------------------------------------------

namespace {

std::string WithSeparator(std::string dir) {
    if (!dir.empty() && dir.back() != '/')
        dir += '/';
    return dir;
}

bool IsWritableDirectory(const fs::path& dir) {
    std::error_code ec;
    if (!fs::is_directory(dir, ec))
        return false;
    const fs::path probe = dir / ".tavrin-write-probe";
    {
        std::ofstream f(probe, std::ios::binary | std::ios::trunc);
        if (!f)
            return false;
    }
    fs::remove(probe, ec);
    return true;
}

} // namespace

std::string ExecutableDirectory() {
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec)
        return WithSeparator(fs::current_path(ec).string());
    return WithSeparator(exe.parent_path().string());
}

std::string ProgramHome() {
    if (const char* home = std::getenv("TAVRIN_HOME"); home && *home) {
        std::error_code ec;
        fs::create_directories(home, ec);
        return WithSeparator(home);
    }
    static const std::string chosen = [] {
        const std::string exeDir = ExecutableDirectory();
        if (IsWritableDirectory(exeDir))
            return exeDir;
        fs::path base;
        if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg)
            base = xdg;
        else if (const char* user = std::getenv("HOME"); user && *user)
            base = fs::path(user) / ".local" / "share";
        else
            return exeDir;
        std::error_code ec;
        fs::create_directories(base / "tavrin", ec);
        return WithSeparator((base / "tavrin").string());
    }();
    return chosen;
}

std::string BuildProgramPath(const std::string& name) {
    return ProgramHome() + fs::path(name).filename().string();
}

std::string BundledDataDirectory() {
    if (const char* dir = std::getenv("TAVRIN_DATA_DIR"); dir && *dir)
        return WithSeparator(dir);
    const std::string exeDir = ExecutableDirectory();
    std::error_code ec;
    if (fs::is_directory(fs::path(exeDir) / "almanacs", ec))
        return exeDir;
    return WithSeparator((fs::path(exeDir).parent_path().parent_path() / "share" / "tavrin").string());
}

std::string UniqueProjectFileName(const std::string& directory, const std::string& extension) {
    const std::string dir = WithSeparator(directory);
    const std::string stem = ResString(2021);
    for (int n = 1; n <= 9998; ++n) {
        char digits[16];
        std::snprintf(digits, sizeof digits, "%04d", n);
        const std::string candidate = dir + stem + digits + extension;
        std::error_code ec;
        const fs::file_status st = fs::status(candidate, ec);
        if (!fs::exists(st) || fs::is_directory(st))
            return candidate;
    }
    return {};
}

// ---- text ------------------------------------------------------------------------------------------

int IsAllDigits(const char* text) {
    if (!text || !*text)
        return 0;
    for (; *text; ++text)
        if (*text < '0' || *text > '9')
            return 0;
    return 1;
}

int HasNonBlank(const char* text) {
    for (; text && *text; ++text)
        if (*text != ' ' && *text != '\t')
            return 1;
    return 0;
}

void TrimBlanks(char* text) {
    if (!text)
        return;
    char* start = text;
    while (*start == ' ' || *start == '\t')
        ++start;
    size_t n = std::strlen(start);
    while (n > 0 && (start[n - 1] == ' ' || start[n - 1] == '\t'))
        --n; // blanks are single bytes, never part of a UTF-8 sequence
    std::memmove(text, start, n);
    text[n] = '\0';
}

namespace {

// Length of the UTF-8 sequence starting at s[i] if it is complete and well formed, else 0.
size_t Utf8SequenceLength(const unsigned char* s, size_t i, size_t length) {
    const unsigned char c = s[i];
    size_t n;
    if (c < 0x80)
        return 1;
    if (c >= 0xC2 && c <= 0xDF)
        n = 2;
    else if (c >= 0xE0 && c <= 0xEF)
        n = 3;
    else if (c >= 0xF0 && c <= 0xF4)
        n = 4;
    else
        return 0;
    if (i + n > length)
        return 0;
    for (size_t k = 1; k < n; ++k)
        if ((s[i + k] & 0xC0) != 0x80)
            return 0;
    // overlong forms, surrogates and values above U+10FFFF
    if ((c == 0xE0 && s[i + 1] < 0xA0) || (c == 0xED && s[i + 1] > 0x9F) || (c == 0xF0 && s[i + 1] < 0x90) ||
        (c == 0xF4 && s[i + 1] > 0x8F))
        return 0;
    return n;
}

} // namespace

void CopyBounded(char* destination, const char* source, size_t count) {
    assert(count > 0 && "count > 0");
    if (count == 0)
        return;
    const auto* s = reinterpret_cast<const unsigned char*>(source ? source : "");
    const size_t length = std::strlen(reinterpret_cast<const char*>(s));
    size_t used = 0;
    while (used < length) {
        size_t n = Utf8SequenceLength(s, used, length);
        if (n == 0)
            n = 1; // a stray byte is copied as one character
        if (used + n > count - 1)
            break;
        used += n;
    }
    std::memcpy(destination, s, used);
    std::memset(destination + used, 0, count - used);
}

bool IsValidUtf8(const char* text, size_t length) {
    const auto* s = reinterpret_cast<const unsigned char*>(text);
    for (size_t i = 0; i < length;) {
        const size_t n = Utf8SequenceLength(s, i, length);
        if (n == 0)
            return false;
        i += n;
    }
    return true;
}

std::string ToUtf8(const std::string& fileText) {
    if (IsValidUtf8(fileText.data(), fileText.size()))
        return fileText;
    // Windows-1252 0x80..0x9F; the rest of the upper half maps to U+00A0..U+00FF.
    static const char16_t kHigh[32] = {0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                       0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD,
                                       0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                       0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};
    std::string out;
    out.reserve(fileText.size() * 2);
    for (unsigned char c : fileText) {
        char32_t u = c < 0x80 ? c : (c < 0xA0 ? kHigh[c - 0x80] : c);
        if (u < 0x80) {
            out += static_cast<char>(u);
        } else if (u < 0x800) {
            out += static_cast<char>(0xC0 | (u >> 6));
            out += static_cast<char>(0x80 | (u & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (u >> 12));
            out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (u & 0x3F));
        }
    }
    return out;
}
