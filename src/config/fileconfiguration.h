// The user's settings between runs: the 632-byte configuration file and its image in memory.
#pragma once

#include <cstdint>
#include <string>

#include "base/codepage.h"

inline constexpr int kConfigurationFileSize = 632;

class fileConfiguration {
public:
    // Stored byte for byte, little-endian, in this order.
    char signature[80]{};
    int32_t mode3D = 1;
    int32_t fiveMinuteStep = 0;
    int32_t cutOffAngle = 15;
    int32_t useObstructions = 1;
    int32_t showTimeBar = 1;
    int32_t gpsEnabled = 1;
    int32_t glonassEnabled = 1;
    // The file's field holds 520 bytes in the code page text is written in; here it is UTF-8, with
    // room for every character such a field can hold.
    static constexpr size_t kAlmanacPathField = 520;
    char almanacPath[(kAlmanacPathField - 1) * 3 + 1]{};
    int32_t loadLastAlmanac = 0;

    std::string filePath; // never written to the file
    // The file as read, so that Write changes only the bytes of settings that changed.
    std::string storedImage;
    StoredField storedAlmanacPath;

    // Set when `path` was there but could not be used: what the user is told. A damaged or foreign
    // file is first kept aside under a free name ending in ".bad"; one that cannot be read, or
    // kept aside, is never written over (filePath is then cleared).
    std::string readProblem;

    // Reads `path`; a missing, short or foreign file gives the defaults.
    explicit fileConfiguration(const std::string& path);
    // Writes the file when filePath is set; a failed write is ignored.
    ~fileConfiguration();
    fileConfiguration(const fileConfiguration&) = delete;
    fileConfiguration& operator=(const fileConfiguration&) = delete;

    void SetDefaults();
    // A path that does not fit the 520-byte field in the code page is not stored: the previous one
    // stays.
    void SetAll(int32_t mode3D, int32_t fiveMinuteStep, int32_t cutOffAngle, int32_t useObstructions,
                int32_t showTimeBar, int32_t gpsEnabled, int32_t glonassEnabled,
                const std::string& almanacPath, int32_t loadLastAlmanac);

    // True when the whole file was read; `damaged` (when given) tells a file that is there and
    // readable but not a configuration file of ours from one that cannot be opened or read.
    bool Read(bool* damaged = nullptr);
    // `error` (when given) receives the errno value of a failed write.
    bool Write(int* error = nullptr) const;
    // The 632 bytes Write stores; `pathAsUtf8` becomes true when the path had to be written as UTF-8.
    std::string Image(bool* pathAsUtf8 = nullptr) const;
};
