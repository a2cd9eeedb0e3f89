#include "config/fileconfiguration.h"

#include <algorithm>
#include <cstring>
#include <fstream>

#include "base/paths.h"
#include "base/safefile.h"
#include "base/text.h"

namespace {

// Identifies the file; never translated.
constexpr char kSignature[] = "Project for \"Tavrin 32\"";

constexpr size_t kModeAt = 80, kAlmanacPathAt = 108, kLoadLastAt = 628;

int32_t GetI32(const char* p) {
    uint32_t v = 0;
    for (int k = 3; k >= 0; --k)
        v = (v << 8) | static_cast<unsigned char>(p[k]);
    return static_cast<int32_t>(v);
}

void PutI32(char* p, int32_t value) {
    const auto v = static_cast<uint32_t>(value);
    for (int k = 0; k < 4; ++k)
        p[k] = static_cast<char>((v >> (8 * k)) & 0xFF);
}

} // namespace

fileConfiguration::fileConfiguration(const std::string& path) : filePath(path) {
    if (!Read())
        SetDefaults();
}

fileConfiguration::~fileConfiguration() {
    if (!filePath.empty())
        Write();
}

void fileConfiguration::SetDefaults() {
    CopyBounded(signature, kSignature, sizeof signature);
    mode3D = 1;
    fiveMinuteStep = 0;
    cutOffAngle = 15;
    useObstructions = 1;
    showTimeBar = 1;
    gpsEnabled = 1;
    glonassEnabled = 1;
    CopyBounded(almanacPath, BuildProgramPath("").c_str(), sizeof almanacPath);
    loadLastAlmanac = 0;
}

void fileConfiguration::SetAll(int32_t mode, int32_t fiveMinutes, int32_t cutOff, int32_t obstructions,
                               int32_t timeBar, int32_t gps, int32_t glonass, const std::string& almanac,
                               int32_t loadLast) {
    mode3D = mode;
    fiveMinuteStep = fiveMinutes;
    cutOffAngle = cutOff;
    useObstructions = obstructions;
    showTimeBar = timeBar;
    gpsEnabled = gps;
    glonassEnabled = glonass;
    // A cut path would name another file at the next start.
    if (almanac.size() < sizeof almanacPath)
        CopyBounded(almanacPath, almanac.c_str(), sizeof almanacPath);
    loadLastAlmanac = loadLast;
}

bool fileConfiguration::Read() {
    std::ifstream in(filePath, std::ios::binary);
    if (!in)
        return false;
    char image[kConfigurationFileSize];
    in.read(image, sizeof image);
    if (in.gcount() != kConfigurationFileSize)
        return false;
    if (std::memcmp(image, kSignature, sizeof kSignature) != 0)
        return false;
    std::memcpy(signature, image, sizeof signature);
    signature[sizeof signature - 1] = '\0';
    const char* p = image + kModeAt;
    int32_t* fields[] = {&mode3D,      &fiveMinuteStep, &cutOffAngle,   &useObstructions,
                         &showTimeBar, &gpsEnabled,     &glonassEnabled};
    for (int32_t* field : fields) {
        *field = GetI32(p);
        p += 4;
    }
    // A foreign or damaged value must still fit the options' two-digit field.
    cutOffAngle = std::clamp(cutOffAngle, 0, 89);
    std::memcpy(almanacPath, image + kAlmanacPathAt, sizeof almanacPath);
    almanacPath[sizeof almanacPath - 1] = '\0';
    loadLastAlmanac = GetI32(image + kLoadLastAt);
    return true;
}

std::string fileConfiguration::Image() const {
    std::string image(kConfigurationFileSize, '\0');
    std::memcpy(image.data(), signature, sizeof signature);
    char* p = image.data() + kModeAt;
    for (int32_t field :
         {mode3D, fiveMinuteStep, cutOffAngle, useObstructions, showTimeBar, gpsEnabled, glonassEnabled}) {
        PutI32(p, field);
        p += 4;
    }
    std::memcpy(image.data() + kAlmanacPathAt, almanacPath, sizeof almanacPath);
    PutI32(image.data() + kLoadLastAt, loadLastAlmanac);
    return image;
}

bool fileConfiguration::Write() const {
    return WriteFileSafely(filePath, Image());
}
