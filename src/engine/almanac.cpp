#include "engine/almanac.h"

#include "base/safefile.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <new>
#include <system_error>

namespace {

// Big-endian fields, each reversed as one unit of its own size.
uint64_t GetBig(const uint8_t* p, int size) {
    uint64_t v = 0;
    for (int k = 0; k < size; ++k)
        v = (v << 8) | p[k];
    return v;
}
void PutBig(uint8_t* p, int size, uint64_t v) {
    for (int k = size - 1; k >= 0; --k) {
        p[k] = static_cast<uint8_t>(v & 0xFF);
        v >>= 8;
    }
}

template <typename T> T Get(const uint8_t* p) {
    static_assert(sizeof(T) <= 8);
    const uint64_t raw = GetBig(p, sizeof(T));
    if constexpr (sizeof(T) == 8) {
        T v;
        std::memcpy(&v, &raw, 8);
        return v;
    } else if constexpr (sizeof(T) == 4) {
        const uint32_t u = static_cast<uint32_t>(raw);
        T v;
        std::memcpy(&v, &u, 4);
        return v;
    } else {
        const uint16_t u = static_cast<uint16_t>(raw);
        T v;
        std::memcpy(&v, &u, 2);
        return v;
    }
}

template <typename T> void Put(uint8_t* p, T value) {
    static_assert(sizeof(T) <= 8);
    uint64_t raw = 0;
    if constexpr (sizeof(T) == 8) {
        std::memcpy(&raw, &value, 8);
    } else if constexpr (sizeof(T) == 4) {
        uint32_t u;
        std::memcpy(&u, &value, 4);
        raw = u;
    } else {
        uint16_t u;
        std::memcpy(&u, &value, 2);
        raw = u;
    }
    PutBig(p, sizeof(T), raw);
}

// |value| <= bound, false for NaN.
bool Within(double value, double bound) {
    return std::fabs(value) <= bound;
}
// low <= value <= high, false for NaN.
bool Between(double value, double low, double high) {
    return value >= low && value <= high;
}

} // namespace

GpsAlmanacRecord DecodeGpsRecord(const uint8_t* b) {
    GpsAlmanacRecord r;
    r.e = Get<float>(b + 0);
    r.toa = Get<int32_t>(b + 4);
    r.i = Get<float>(b + 8);
    r.omegaDot = Get<float>(b + 12);
    r.healthFlag = Get<int16_t>(b + 16);
    r.sqrtA = Get<double>(b + 18);
    r.omega0 = Get<double>(b + 26);
    r.omega = Get<double>(b + 34);
    r.m0 = Get<double>(b + 42);
    r.reserved50 = Get<uint32_t>(b + 50);
    r.reserved54 = Get<uint32_t>(b + 54);
    r.healthCode = Get<int16_t>(b + 58);
    r.week = Get<int16_t>(b + 60);
    r.referenceWeek = Get<int16_t>(b + 62);
    r.reserved64 = Get<uint32_t>(b + 64);
    r.reserved68 = Get<uint16_t>(b + 68);
    return r;
}

void EncodeGpsRecord(const GpsAlmanacRecord& r, uint8_t* b) {
    Put(b + 0, r.e);
    Put(b + 4, r.toa);
    Put(b + 8, r.i);
    Put(b + 12, r.omegaDot);
    Put(b + 16, r.healthFlag);
    Put(b + 18, r.sqrtA);
    Put(b + 26, r.omega0);
    Put(b + 34, r.omega);
    Put(b + 42, r.m0);
    Put(b + 50, r.reserved50);
    Put(b + 54, r.reserved54);
    Put(b + 58, r.healthCode);
    Put(b + 60, r.week);
    Put(b + 62, r.referenceWeek);
    Put(b + 64, r.reserved64);
    Put(b + 68, r.reserved68);
}

GlonassAlmanacRecord DecodeGlonassRecord(const uint8_t* b) {
    GlonassAlmanacRecord r;
    r.channel = Get<int16_t>(b + 0);
    r.healthFlag = Get<int16_t>(b + 2);
    r.e = Get<float>(b + 4);
    r.n = Get<int32_t>(b + 8);
    r.deltaI = Get<float>(b + 12);
    r.lambda = Get<float>(b + 16);
    r.tLambda = Get<float>(b + 20);
    r.omega = Get<float>(b + 24);
    r.deltaT = Get<float>(b + 28);
    r.deltaTDot = Get<float>(b + 32);
    r.correction = Get<float>(b + 36);
    return r;
}

void EncodeGlonassRecord(const GlonassAlmanacRecord& r, uint8_t* b) {
    Put(b + 0, r.channel);
    Put(b + 2, r.healthFlag);
    Put(b + 4, r.e);
    Put(b + 8, r.n);
    Put(b + 12, r.deltaI);
    Put(b + 16, r.lambda);
    Put(b + 20, r.tLambda);
    Put(b + 24, r.omega);
    Put(b + 28, r.deltaT);
    Put(b + 32, r.deltaTDot);
    Put(b + 36, r.correction);
}

bool IsValidGpsRecord(const GpsAlmanacRecord& r) {
    if (r.referenceWeek < 0)
        return false;
    if (!(r.e <= 0.03)) // negative values pass and are cleared on acceptance
        return false;
    if (r.toa < 0 || r.toa > 602112)
        return false;
    if (!Between(r.sqrtA, 2000.0, 8000.0))
        return false;
    if (!Between(r.i, 0.23, 0.37))
        return false;
    if (!Within(r.omega0, 1.0) || !Within(r.omega, 1.0) || !Within(r.m0, 1.0))
        return false;
    return std::fabs(r.omegaDot) <= kMaxAlmanacNodeRate;
}

bool IsValidGlonassRecord(const GlonassAlmanacRecord& r) {
    if (r.n < 1 || r.n > 1461)
        return false;
    // Channels -7..+6 of today's plan as well as 1..24 of the old one.
    if (r.channel < -7 || r.channel > 24)
        return false;
    if (!Between(r.e, 0.0, 0.03))
        return false;
    if (!Between(r.tLambda, 0.0, 44100.0))
        return false;
    return Within(r.lambda, 1.0) && Within(r.deltaI, 0.07) && Within(r.deltaT, 3600.0) &&
           Within(r.deltaTDot, 0.004) && Within(r.omega, 1.0) && Within(r.correction, 0.002);
}

int16_t ReconstructGpsWeek(int16_t almanacWeek, int16_t referenceWeek, int nearWeek, int latestWeek) {
    const int8_t d = static_cast<int8_t>(static_cast<uint8_t>((almanacWeek - referenceWeek) & 0xFF));
    const int week = referenceWeek + d;
    if (referenceWeek >= 1024)
        return static_cast<int16_t>(week);
    // Written modulo 1024: weeks since the last rollover (a negative one lies before it).
    const int inEra = ((week % 1024) + 1024) % 1024;
    int era = static_cast<int>(std::lround(static_cast<double>(nearWeek - inEra) / 1024.0));
    if (inEra + 1024 * era > latestWeek)
        era = static_cast<int>(std::floor(static_cast<double>(latestWeek - inEra) / 1024.0));
    era = std::clamp(era, 0, (INT16_MAX - inEra) / 1024);
    return static_cast<int16_t>(inEra + 1024 * era);
}

void AcceptGpsRecord(GpsAlmanacRecord& r, int nearWeek, int latestWeek) {
    if (r.e < 0)
        r.e = 0;
    r.week = ReconstructGpsWeek(r.week, r.referenceWeek, nearWeek, latestWeek);
}

bool IsHealthy(const GpsAlmanacRecord& r) {
    return r.healthCode != 63 && r.healthFlag == 0;
}

bool IsHealthy(const GlonassAlmanacRecord& r) {
    return r.healthFlag != 0;
}

std::vector<uint8_t> EncodeAlmanac(const GpsAlmanac* gps, const GlonassAlmanac* glonass) {
    std::vector<uint8_t> out;
    try {
        out.resize((gps ? kGpsBlockSize : 0) + (glonass ? kGlonassBlockSize : 0));
    } catch (const std::bad_alloc&) {
        return {};
    }
    uint8_t* p = out.data();
    if (gps) {
        for (const GpsAlmanacRecord& r : *gps) {
            EncodeGpsRecord(r, p);
            p += kGpsRecordSize;
        }
    }
    if (glonass) {
        for (const GlonassAlmanacRecord& r : *glonass) {
            EncodeGlonassRecord(r, p);
            p += kGlonassRecordSize;
        }
    }
    return out;
}

bool WriteAlmanacFile(const std::string& path, const GpsAlmanac* gps, const GlonassAlmanac* glonass,
                      int* error, SafeWriteOptions options) {
    const std::vector<uint8_t> image = EncodeAlmanac(gps, glonass);
    if (image.empty()) {
        if (error)
            *error = ENOMEM;
        return false;
    }
    return WriteFileSafely(path, std::string_view(reinterpret_cast<const char*>(image.data()), image.size()),
                           error, options);
}
