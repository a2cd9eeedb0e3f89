// The working records the options and satellite configuration dialogs edit, filled from the
// configuration and handed back to it at exit.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/satellitecatalogue.h"

class fileConfiguration;
class Calculator;

struct OptionsTransfer {
    uint16_t mode2D = 0;
    uint16_t mode3D = 1;
    uint16_t step15 = 1;
    uint16_t step5 = 0;
    char cutOff[3] = {'1', '5', 0}; // at most two digits
    uint16_t obstructions = 1;
    uint16_t loadLastAlmanac = 0;
    int codePage = 1252; // of the text in site lists and the configuration; kept in the settings
    // Dates on screen in month/day/year rather than the locale's form, and printed pages and
    // tables in the screen's form rather than month/day/year; kept in the settings.
    uint16_t legacyDates = 0;
    uint16_t printedDatesLikeScreen = 0;
    uint16_t fetchAtStart = 0; // download the day's orbits at start; kept in the settings

    int CutOffDegrees() const; // the decimal value of the text, 0 when empty
    int TimeStepSeconds() const { return step15 ? 900 : 300; }
};

// The systems after GPS and GLONASS.
inline constexpr int kLaterSystems = kGnssSystems - 2;

struct BufferForConfiguration {
    std::vector<std::string> almanacs; // the almanac combo box: file names, newest first
    int almanacSelection = -1;
    uint16_t gps = 1;
    uint16_t glonass = 1;
    uint16_t satellites[56]{}; // 32 GPS then 24 GLONASS: 0 off, 1 on, 2 no almanac
    // Galileo, BeiDou, QZSS and NavIC, planned from navigation files; never written to the
    // configuration file.
    uint16_t laterSystems[kLaterSystems] = {1, 1, 1, 1};
    uint16_t laterSatellites[SatelliteCatalogue::kSize - 56]{}; // as `satellites`, catalogue index - 56
    std::string directory; // the almanac directory, with a trailing separator

    // The box of any catalogue satellite, and the system box of any system.
    uint16_t& Box(int index) { return index < 56 ? satellites[index] : laterSatellites[index - 56]; }
    uint16_t Box(int index) const { return index < 56 ? satellites[index] : laterSatellites[index - 56]; }
    uint16_t& SystemState(GnssSystem system);
    uint16_t SystemState(GnssSystem system) const;
};

struct CurrentAlmanac {
    std::string path; // the almanac file actually loaded; not cut to any length
    int status = 0;   // the file status taken when it was loaded: 0 read, -1 not
    bool missing = false;
    int64_t size = 0;     // bytes
    int64_t modified = 0; // ms since the epoch
    int64_t created = 0;  // ms since the epoch: the file's birth, else its last status change
};

// Whether `now` (the status of a path read now) names the almanac `recorded` holds: both missing
// with the same path, or neither missing with the same path and creation time. A file rewritten in
// place keeps its creation time and so counts as the same; size and modification time are not
// compared.
bool SameAlmanac(const CurrentAlmanac& recorded, const CurrentAlmanac& now);

// The box state of a satellite from its engine status: 2 (indeterminate) without almanac, 1 when
// in use and its system box is checked, else 0.
uint16_t SatelliteBoxState(int32_t status, bool systemOn);
// Every box state of `buffer` from the engine, against the buffer's system states.
void RefreshSatelliteStates(const Calculator& calculator, BufferForConfiguration& buffer);

// Fills the working records from the configuration; the cut-off is clamped into 0..89.
void FillOptionsTransfer(const fileConfiguration& config, OptionsTransfer& options);
void FillBufferForConfiguration(const fileConfiguration& config, BufferForConfiguration& buffer);
// The record from the working state, as the program stores it at exit.
void ConfigurationFromWorkingRecords(fileConfiguration& config, const OptionsTransfer& options,
                                     const BufferForConfiguration& buffer, const CurrentAlmanac& almanac);
