// Byte-level almanac fixtures for the tests: big-endian images written field by field, independent
// of the almanac writer.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace almanac_fixture {

namespace fs = std::filesystem;

struct Bytes {
    std::vector<uint8_t> b;
    explicit Bytes(size_t n) : b(n, 0) {}
    void Big(size_t at, uint64_t v, int size) {
        for (int k = size - 1; k >= 0; --k, v >>= 8)
            b.at(at + k) = static_cast<uint8_t>(v);
    }
    void I16(size_t at, int v) { Big(at, static_cast<uint16_t>(v), 2); }
    void I32(size_t at, int32_t v) { Big(at, static_cast<uint32_t>(v), 4); }
    void F32(size_t at, float v) {
        uint32_t u;
        std::memcpy(&u, &v, 4);
        Big(at, u, 4);
    }
    void F64(size_t at, double v) {
        uint64_t u;
        std::memcpy(&u, &v, 8);
        Big(at, u, 8);
    }
};

// The fields of one GPS record, with values that pass the record tests.
struct GpsFields {
    float e = 0.01f;
    int32_t toa = 319488;
    float i = 0.3f;
    float omegaDot = -2.6e-9f;
    int healthFlag = 0;
    double sqrtA = 5153.6;
    double omega0 = 0.25, omega = -0.5, m0 = 0.75;
    int healthCode = 0;
    int week = 0x1A;
    int referenceWeek = 1050;
};

inline void PutGps(Bytes& f, size_t base, int k, const GpsFields& g) {
    const size_t o = base + 70 * static_cast<size_t>(k);
    f.F32(o + 0, g.e);
    f.I32(o + 4, g.toa);
    f.F32(o + 8, g.i);
    f.F32(o + 12, g.omegaDot);
    f.I16(o + 16, g.healthFlag);
    f.F64(o + 18, g.sqrtA);
    f.F64(o + 26, g.omega0);
    f.F64(o + 34, g.omega);
    f.F64(o + 42, g.m0);
    f.Big(o + 50, 0x01020304u, 4);
    f.Big(o + 54, 0x05060708u, 4);
    f.I16(o + 58, g.healthCode);
    f.I16(o + 60, g.week);
    f.I16(o + 62, g.referenceWeek);
    f.Big(o + 64, 0x090A0B0Cu, 4);
    f.Big(o + 68, 0x0D0Eu, 2);
}

struct GlonassFields {
    int channel = 3;
    int healthFlag = 1;
    float e = 0.001f;
    int32_t n = 100;
    float deltaI = 0.01f;
    float lambda = -0.4f;
    float tLambda = 20000.f;
    float omega = 0.3f;
    float deltaT = -2655.f;
    float deltaTDot = 0.0005f;
    float correction = 0.0001f;
};

inline void PutGlonass(Bytes& f, size_t base, int k, const GlonassFields& g) {
    const size_t o = base + 40 * static_cast<size_t>(k);
    f.I16(o + 0, g.channel);
    f.I16(o + 2, g.healthFlag);
    f.F32(o + 4, g.e);
    f.I32(o + 8, g.n);
    f.F32(o + 12, g.deltaI);
    f.F32(o + 16, g.lambda);
    f.F32(o + 20, g.tLambda);
    f.F32(o + 24, g.omega);
    f.F32(o + 28, g.deltaT);
    f.F32(o + 32, g.deltaTDot);
    f.F32(o + 36, g.correction);
}

// A full 3200-byte almanac of valid healthy records; PRN k+1 / slot k+1 differ in their node.
inline Bytes FullAlmanac() {
    Bytes f(3200);
    for (int k = 0; k < 32; ++k) {
        GpsFields g;
        g.omega0 = -1.0 + k / 16.0;
        PutGps(f, 0, k, g);
    }
    for (int k = 0; k < 24; ++k) {
        GlonassFields g;
        g.lambda = -1.0f + k / 12.0f;
        g.channel = k % 14 - 7;
        PutGlonass(f, 2240, k, g);
    }
    return f;
}

class TempDir {
public:
    TempDir() {
        static int serial = 0;
        path_ = fs::temp_directory_path() /
                ("tavrin_alm_" + std::to_string(::getpid()) + "_" + std::to_string(++serial));
        fs::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) const {
        const std::string p = (path_ / name).string();
        std::ofstream(p, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return p;
    }
    std::string Dir() const { return path_.string() + "/"; }

private:
    fs::path path_;
};

} // namespace almanac_fixture
