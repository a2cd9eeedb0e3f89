// Site list files built byte by byte, independently of the code that reads and writes them.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>
#include <vector>

#include <unistd.h>

namespace fixture {

inline void PutLe(std::string& out, uint64_t v, int size) {
    for (int k = 0; k < size; ++k)
        out.push_back(static_cast<char>((v >> (8 * k)) & 0xFF));
}
inline void PutF64(std::string& out, double d) {
    uint64_t v;
    std::memcpy(&v, &d, 8);
    PutLe(out, v, 8);
}
inline void PutF32(std::string& out, float f) {
    uint32_t v;
    std::memcpy(&v, &f, 4);
    PutLe(out, v, 4);
}
inline void PutText(std::string& out, const std::string& text, size_t size) {
    std::string field(size, '\0');
    std::memcpy(field.data(), text.data(), std::min(text.size(), size - 1));
    out += field;
}

struct Vertex {
    double elevation, azimuth;
};
using Outline = std::vector<Vertex>;

inline std::string NewSite(const std::string& name, const std::string& description, double lat, double lon,
                           double alt, float gmt, const std::vector<Outline>& outlines = {}) {
    std::string out;
    PutText(out, name, 21);
    PutText(out, description, 61);
    PutF64(out, lat);
    PutF64(out, lon);
    PutF64(out, alt);
    PutF32(out, gmt);
    PutLe(out, outlines.size(), 2);
    for (const Outline& o : outlines) {
        PutLe(out, o.size(), 2);
        for (const Vertex& v : o) {
            PutF64(out, v.elevation);
            PutF64(out, v.azimuth);
        }
    }
    return out;
}

inline std::string NewFile(int16_t currentIndex, std::initializer_list<std::string> sites,
                           const char* signature = "SITELST") {
    std::string out(signature, 7);
    PutLe(out, static_cast<uint16_t>(currentIndex), 2);
    for (const std::string& s : sites)
        out += s;
    return out;
}

// An old record's text fields as the old program wrote them.
struct OldSite {
    std::string latitude = "45301501N";   // dd mm ss hh hemisphere: 45 30 15.01 N
    std::string longitude = "0120000 0E"; // ddd mm ss hh hemisphere
    std::string altitude = "  123.45";    // 8 characters, point at the sixth
    std::string gmt = "  1.";             // 4 characters, point at the fourth
    std::string description = "old description";
    struct OldOutline {
        int mode;
        std::vector<std::pair<int, int>> vertices; // azimuth, elevation
    };
    std::vector<OldOutline> outlines;
    int outlineCount = -1; // stored count; -1: the number of outlines
};

inline std::string OldRecord(const OldSite& s) {
    std::string r(605, '\0');
    std::memcpy(&r[0], s.latitude.data(), std::min<size_t>(9, s.latitude.size()));
    std::memcpy(&r[9], s.longitude.data(), std::min<size_t>(10, s.longitude.size()));
    std::memcpy(&r[19], s.altitude.data(), std::min<size_t>(8, s.altitude.size()));
    std::memcpy(&r[27], s.gmt.data(), std::min<size_t>(4, s.gmt.size()));
    std::memcpy(&r[32], s.description.data(), std::min<size_t>(60, s.description.size()));
    r[134] = static_cast<char>(s.outlineCount >= 0 ? s.outlineCount : static_cast<int>(s.outlines.size()));
    size_t at = 135;
    for (const auto& o : s.outlines) {
        r[at++] = static_cast<char>(o.vertices.size());
        r[at++] = static_cast<char>(o.mode);
        for (const auto& [azimuth, elevation] : o.vertices) {
            r[at++] = static_cast<char>(azimuth & 0xFF);
            r[at++] = static_cast<char>((azimuth >> 8) & 0xFF);
            r[at++] = static_cast<char>(elevation);
        }
    }
    return r;
}

// entries: name and slot byte; records: slot contents in slot order.
inline std::string OldFile(const std::vector<std::pair<std::string, int>>& entries,
                           const std::vector<std::string>& records, int count = -1) {
    std::string out(1, static_cast<char>(count >= 0 ? count : static_cast<int>(entries.size())));
    std::string directory(1782, '\0');
    for (size_t i = 0; i < entries.size() && i < 99; ++i) {
        std::memcpy(&directory[18 * i], entries[i].first.data(),
                    std::min<size_t>(17, entries[i].first.size()));
        directory[18 * i + 17] = static_cast<char>(entries[i].second);
    }
    out += directory;
    for (const std::string& r : records)
        out += r;
    return out;
}

inline void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadFile(const std::string& path) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    std::string bytes(ec ? 0 : static_cast<size_t>(size), '\0');
    std::ifstream(path, std::ios::binary).read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

// A fresh directory under the system's temporary directory, removed at the end of the test.
class TempDir {
public:
    explicit TempDir(const std::string& tag) {
        path_ = std::filesystem::temp_directory_path() / ("tavrin-" + tag + "-" + std::to_string(::getpid()));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    std::string File(const std::string& name) const { return (path_ / name).string(); }
    std::string Path() const { return path_.string() + "/"; }

private:
    std::filesystem::path path_;
};

} // namespace fixture
