#include "terrain/horizoncache.h"

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "base/safefile.h"
#include "base/strings.h"

namespace {

constexpr const char* kMagic = "tavrin-horizon 1";
// A cached horizon is at most 36,000 entries (0.01 degree): more lines mean a damaged file.
constexpr int kMaxEntries = 36000;

std::string FileOf(const std::string& directory, const std::string& key) {
    uint64_t h = 1469598103934665603ull; // FNV-1a
    for (unsigned char c : key) {
        h ^= c;
        h *= 1099511628211ull;
    }
    std::string dir = directory;
    if (!dir.empty() && dir.back() != '/')
        dir += '/';
    return dir + FormatText("%016llx.hzn", static_cast<unsigned long long>(h));
}

} // namespace

std::string HorizonCacheKey(const std::string& model, double latitude, double longitude, double altitude,
                            double step, double maxDistance, double refraction, double antennaHeight,
                            bool altitudeIsAntenna) {
    // Rounded to what tells sites and settings apart (a centimetre, a millidegree of step), so that
    // the same site read from two files finds its horizon.
    std::string key = model + FormatText("\nat %.8f %.8f", latitude, longitude);
    if (altitudeIsAntenna)
        key += FormatText(" antenna at %.2f m", altitude);
    else
        key += FormatText(" antenna %.2f m above ground", antennaHeight);
    key += FormatText("\nstep %.4f max %.1f m refraction %.4f", step, maxDistance, refraction);
    return key;
}

bool LoadCachedHorizon(const std::string& directory, const std::string& key, TerrainHorizon& horizon) {
    std::ifstream in(FileOf(directory, key), std::ios::binary);
    if (!in)
        return false;
    std::string line;
    if (!std::getline(in, line) || line != kMagic)
        return false;
    // The key, its lines counted so that a key holding a newline is read back whole.
    int keyLines = 0;
    if (!std::getline(in, line) || !(std::istringstream(line) >> keyLines) || keyLines < 1 || keyLines > 16)
        return false;
    std::string stored;
    for (int i = 0; i < keyLines; ++i) {
        if (!std::getline(in, line))
            return false;
        stored += (i ? "\n" : "") + line;
    }
    if (stored != key)
        return false;
    TerrainHorizon h;
    int count = 0;
    if (!std::getline(in, line) || !(std::istringstream(line) >> h.step >> count >> h.ground >> h.observer) ||
        count < 1 || count > kMaxEntries || !(h.step > 0) || std::fabs(h.step * count - 360.0) > 1e-6)
        return false;
    if (!std::getline(in, h.model))
        return false;
    for (int i = 0; i < count; ++i) {
        float e = 0, d = 0, c = 0;
        if (!std::getline(in, line) || !(std::istringstream(line) >> e >> d >> c) || !std::isfinite(e) ||
            std::fabs(e) > 90 || !(d >= 0) || !(c >= 0))
            return false;
        h.elevation.push_back(e);
        h.distance.push_back(d);
        h.cutShort.push_back(c);
    }
    horizon = std::move(h);
    return true;
}

bool SaveCachedHorizon(const std::string& directory, const std::string& key, const TerrainHorizon& h) {
    std::error_code ec;
    std::filesystem::create_directories(directory, ec);
    int keyLines = 1;
    for (char c : key)
        keyLines += c == '\n';
    std::string text = std::string(kMagic) + "\n" + std::to_string(keyLines) + "\n" + key + "\n";
    text += FormatText("%.17g %d %.9g %.9g\n", h.step, h.Count(), h.ground, h.observer);
    text += h.model + "\n";
    for (int i = 0; i < h.Count(); ++i) {
        const auto k = static_cast<size_t>(i);
        text += FormatText("%.9g %.9g %.9g\n", static_cast<double>(h.elevation[k]),
                           static_cast<double>(h.distance[k]), static_cast<double>(h.cutShort[k]));
    }
    return WriteFileSafely(FileOf(directory, key), text);
}
