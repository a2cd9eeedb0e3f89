// Inside the almanac import: the text readers of the four published formats and what they share.
#pragma once

#include <string>
#include <vector>

#include "engine/almanac_import.h"

struct TextLine {
    int number = 0; // 1-based
    std::string text;
};

// What a GPS reader found for one satellite, angles already in semicircles.
struct GpsElements {
    int line = 0;
    int prn = 0;
    int health = 0;
    int week = 0; // as published: modulo 1024 or full
    double toa = 0, e = 0, i = 0, omegaDot = 0, sqrtA = 0, omega0 = 0, omega = 0, m0 = 0;
};

struct GlonassElements {
    int line = 0;
    int slot = 0, channel = 0, health = 0;
    int day = 0, month = 0, year = 0; // the almanac's date, GLONASS time
    double tLambda = 0, tauN = 0, lambda = 0, deltaI = 0, omega = 0, e = 0, deltaT = 0, deltaTDot = 0;
};

// Collects what the readers find; the records go in through Add, which skips with a warning.
class AlmanacCollector {
public:
    AlmanacCollector(PublishedAlmanac& out, const std::string& name, const CalendarTime& near,
                     bool nearIsToday = false)
        : out_(out), name_(name), near_(near), nearIsToday_(nearIsToday) {}
    virtual ~AlmanacCollector() = default;
    // Virtual for the YUMA almanacs of other systems, whose records become orbits of their own.
    virtual void Add(const GpsElements& elements);
    void Add(const GlonassElements& elements);
    // After the last record: the warning about channels older programs refuse.
    void Finish();
    // Refuses the file with a message; the readers stop after it.
    void Refuse(const std::string& text);
    const std::string& name() const { return name_; }

protected:
    PublishedAlmanac& out_;
    std::string name_;
    CalendarTime near_;
    bool nearIsToday_ = false;

private:
    std::vector<int> lowChannels_; // GLONASS slots with a frequency channel of 0 or below
    int dateFrom_ = -1;            // the satellite whose date names the almanac: the lowest number
};

std::vector<TextLine> SplitLines(const std::string& text);
std::vector<std::string> Tokens(const std::string& text);
// The whole token must be the number (Fortran-style exponents included).
bool ParseNumber(const std::string& token, double& value);
bool ParseInteger(const std::string& token, int& value);

// Each returns false after refusing the file through the collector.
bool ReadYuma(const std::vector<TextLine>& lines, AlmanacCollector& collector);
bool ReadSem(const std::vector<TextLine>& lines, AlmanacCollector& collector);
bool ReadIacGps(const std::vector<TextLine>& lines, AlmanacCollector& collector);
bool ReadIacGlonass(const std::vector<TextLine>& lines, AlmanacCollector& collector);
