#include "config/fileconfiguration.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

#include <fcntl.h>
#include <unistd.h>

#include "base/paths.h"
#include "base/safefile.h"
#include "base/strings.h"
#include "base/text.h"

namespace {

// Moves a file we cannot use out of the way under a name no other file has: "NAME.bad", then
// "NAME.bad-2" and on.
bool KeepAside(const std::string& path, std::string& keptAs) {
    for (int n = 1; n < 100; ++n) {
        keptAs = path + (n == 1 ? std::string(".bad") : FormatText(".bad-%d", n));
        if (::renameat2(AT_FDCWD, path.c_str(), AT_FDCWD, keptAs.c_str(), RENAME_NOREPLACE) == 0)
            return true;
        if (errno == EEXIST)
            continue;
        // A file system that cannot refuse to replace: link and unlink do the same.
        if (errno != EINVAL || ::link(path.c_str(), keptAs.c_str()) != 0) {
            if (errno == EEXIST)
                continue;
            return false;
        }
        return ::unlink(path.c_str()) == 0;
    }
    return false;
}

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
    bool damaged = false;
    if (Read(&damaged))
        return;
    const int readError = errno ? errno : EIO;
    SetDefaults();
    std::error_code ec;
    if (!std::filesystem::exists(std::filesystem::symlink_status(path, ec)))
        return; // a first start: the file is made at the end
    if (!damaged) {
        readProblem =
            FormatText(LoadResString(IDS_CONFIG_UNREADABLE), path.c_str(), std::strerror(readError));
        filePath.clear();
        return;
    }
    std::string keptAs;
    if (KeepAside(path, keptAs)) {
        readProblem = FormatText(LoadResString(IDS_CONFIG_KEPT_ASIDE), path.c_str(), keptAs.c_str());
    } else {
        readProblem = FormatText(LoadResString(IDS_CONFIG_UNUSABLE), path.c_str());
        filePath.clear();
    }
}

fileConfiguration::~fileConfiguration() {
    if (!filePath.empty())
        Write();
}

void fileConfiguration::SetDefaults() {
    storedImage.clear();
    storedAlmanacPath = StoredField();
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
    if (almanac.size() < sizeof almanacPath && CutToField(almanac, kAlmanacPathField) == almanac)
        CopyBounded(almanacPath, almanac.c_str(), sizeof almanacPath);
    loadLastAlmanac = loadLast;
}

bool fileConfiguration::Read(bool* damaged) {
    if (damaged)
        *damaged = false;
    errno = 0;
    std::error_code ec;
    if (std::filesystem::exists(filePath, ec) && !std::filesystem::is_regular_file(filePath, ec)) {
        const int why = std::filesystem::is_directory(filePath, ec) ? EISDIR : EINVAL;
        errno = why;
        return false;
    }
    std::ifstream in(filePath, std::ios::binary);
    if (!in)
        return false;
    char image[kConfigurationFileSize];
    in.read(image, sizeof image);
    const bool whole =
        in.gcount() == kConfigurationFileSize && in.peek() == std::ifstream::traits_type::eof();
    if (in.bad())
        return false;
    if (!whole || std::memcmp(image, kSignature, sizeof kSignature) != 0) {
        if (damaged)
            *damaged = true;
        return false;
    }
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
    storedAlmanacPath = StoredField::Read(image + kAlmanacPathAt, kAlmanacPathField);
    CopyBounded(almanacPath, storedAlmanacPath.text.c_str(), sizeof almanacPath);
    loadLastAlmanac = GetI32(image + kLoadLastAt);
    storedImage.assign(image, sizeof image);
    return true;
}

std::string fileConfiguration::Image(bool* pathAsUtf8) const {
    std::string image = storedImage.size() == kConfigurationFileSize
                            ? storedImage
                            : std::string(kConfigurationFileSize, '\0');
    if (storedImage.size() != kConfigurationFileSize)
        std::memcpy(image.data(), signature, sizeof signature); // else the signature as it was read
    char* p = image.data() + kModeAt;
    for (int32_t field :
         {mode3D, fiveMinuteStep, cutOffAngle, useObstructions, showTimeBar, gpsEnabled, glonassEnabled}) {
        PutI32(p, field);
        p += 4;
    }
    bool utf8 = false;
    const std::string path = storedAlmanacPath.Write(almanacPath, kAlmanacPathField, utf8);
    std::memcpy(image.data() + kAlmanacPathAt, path.data(), kAlmanacPathField);
    if (pathAsUtf8 && utf8)
        *pathAsUtf8 = true;
    PutI32(image.data() + kLoadLastAt, loadLastAlmanac);
    return image;
}

bool fileConfiguration::Write(int* error) const {
    return WriteFileSafely(filePath, Image(), error);
}
