#include "config/transfer.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "config/fileconfiguration.h"
#include "engine/almanac.h"
#include "engine/calculator.h"
#include "engine/changeflags.h"

bool SameAlmanac(const CurrentAlmanac& recorded, const CurrentAlmanac& now) {
    if (recorded.path != now.path || recorded.missing != now.missing)
        return false;
    return recorded.missing || recorded.created == now.created;
}

uint16_t SatelliteBoxState(int32_t status, bool systemOn) {
    switch (status & ~StatusUnhealthy) {
    case 0:
        return systemOn ? 1 : 0;
    case StatusNoAlmanac:
        return 2;
    default:
        return 0;
    }
}

uint16_t& BufferForConfiguration::SystemState(GnssSystem system) {
    const int s = static_cast<int>(system);
    return s == 0 ? gps : s == 1 ? glonass : laterSystems[s - 2];
}

uint16_t BufferForConfiguration::SystemState(GnssSystem system) const {
    return const_cast<BufferForConfiguration&>(*this).SystemState(system);
}

void RefreshSatelliteStates(const Calculator& calculator, BufferForConfiguration& buffer) {
    for (int i = 0; i < SatelliteCatalogue::kSize; ++i)
        buffer.Box(i) = SatelliteBoxState(calculator.status(i),
                                          buffer.SystemState(SatelliteCatalogue::At(i).system) != 0);
}

int OptionsTransfer::CutOffDegrees() const {
    return std::atoi(cutOff);
}

void FillOptionsTransfer(const fileConfiguration& config, OptionsTransfer& options) {
    options.mode2D = config.mode3D ? 0 : 1;
    options.mode3D = config.mode3D ? 1 : 0;
    options.step15 = config.fiveMinuteStep ? 0 : 1;
    options.step5 = config.fiveMinuteStep ? 1 : 0;
    std::snprintf(options.cutOff, sizeof options.cutOff, "%d", std::clamp(config.cutOffAngle, 0, 89));
    options.obstructions = config.useObstructions ? 1 : 0;
    options.loadLastAlmanac = config.loadLastAlmanac ? 1 : 0;
}

void FillBufferForConfiguration(const fileConfiguration& config, BufferForConfiguration& buffer) {
    buffer.gps = config.gpsEnabled ? 1 : 0;
    buffer.glonass = config.glonassEnabled ? 1 : 0;
    const std::string path = config.almanacPath;
    const size_t slash = path.find_last_of('/');
    buffer.directory = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

void ConfigurationFromWorkingRecords(fileConfiguration& config, const OptionsTransfer& options,
                                     const BufferForConfiguration& buffer, const CurrentAlmanac& almanac) {
    // Without a loaded almanac the remembered one stays for the next start.
    const std::string path = almanac.path.empty() ? std::string(config.almanacPath) : almanac.path;
    config.SetAll(options.mode3D, options.step5, std::clamp(options.CutOffDegrees(), 0, 89),
                  options.obstructions, config.showTimeBar, buffer.gps, buffer.glonass, path,
                  options.loadLastAlmanac);
}
