#include "engine/skytracks.h"

#include "engine/calculator.h"

std::vector<SkyTrack> SkyTracksOf(const Calculator& calculator) {
    constexpr double kDegrees = 57.29577951308232;
    std::vector<SkyTrack> tracks;
    if (calculator.loadState() != kLoadOk || calculator.sampleCount() == 0)
        return tracks;
    for (int s = 0; s < kSatellites; ++s) {
        if (!calculator.IsEnabled(s))
            continue;
        const SatSample* samples = calculator.samples(s);
        SkyTrack track;
        for (int j = 0; j < calculator.intervalCount(); ++j) {
            const SatSample& sample = samples[calculator.intervalFirst() + j];
            if (sample.elevation > 0) {
                track.push_back(point<double>(sample.elevation * kDegrees, sample.azimuth * kDegrees));
                continue;
            }
            if (track.size() > 1)
                tracks.push_back(std::move(track));
            track.clear();
        }
        if (track.size() > 1)
            tracks.push_back(std::move(track));
    }
    return tracks;
}
