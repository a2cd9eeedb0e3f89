// What the satellite configuration dialog needs from the window that opens it: the engine, the
// working records it edits, the change flags, the planning date and the almanac bookkeeping.
#pragma once

#include <string>
#include <vector>

#include "config/transfer.h"
#include "engine/calculator.h"
#include "engine/changeflags.h"
#include "engine/global.h"

class ConfigDialogHost {
public:
    virtual ~ConfigDialogHost() = default;

    virtual Calculator& Engine() = 0;
    virtual ChangeFlags& Changes() = 0;
    // The dialog's transfer record (kept between openings) and the record of the loaded almanac.
    virtual BufferForConfiguration& SatelliteBuffer() = 0;
    virtual CurrentAlmanac& Almanac() = 0;
    // The planning interval: the almanac's age is taken against its begin date.
    virtual PlanInterval& Interval() = 0;

    // Loads `path` into the engine; its load state tells how that went. A loaded almanac gets the
    // configured time step.
    virtual void LoadAlmanacFile(const std::string& path) = 0;
    // Records `path` and its file status now as the loaded almanac.
    virtual void RecordAlmanac(const std::string& path) = 0;
    // The navigation files the engine holds, in the order they were added; the host keeps them for
    // the next start.
    virtual std::vector<std::string>& NavigationFiles() = 0;
    // The 60-day age check with the message box `style`; its answer (IDYES when within the limit).
    virtual int AlmanacAgeWarning(unsigned style) = 0;
};
