// Lets tests put a Calculator into a chosen state without an almanac: statuses, samples, result
// series and interval, so that a stage or a consumer (tables, views) can be checked on data the
// test chose. Indices are not checked: stay within 0..55 and the sample count.
#pragma once

#include <cstdint>

#include "engine/calculator.h"

struct CalculatorTestAccess {
    static void SetStatus(Calculator& c, int index, int32_t status) { c.statuses_[index] = status; }
    static void SetAllStatuses(Calculator& c, int32_t status) { c.statuses_.fill(status); }

    // The sample of satellite `index` at sample `k`, to read or write x/y/z, azimuth, elevation
    // and the visible flag.
    // Satellites made up by a test have no orbit, so no sample array until it is given one here.
    static std::vector<SatSample>& Series(Calculator& c, int index) {
        if (c.samples_[index].empty())
            c.samples_[index].resize(static_cast<size_t>(c.sampleCount_));
        return c.samples_[index];
    }
    static int SampleArrays(const Calculator& c) {
        int arrays = 0;
        for (const auto& series : c.samples_)
            arrays += series.empty() ? 0 : 1;
        return arrays;
    }
    static SatSample& Sample(Calculator& c, int index, int k) {
        c.mayBeVisible_[index] = true; // the caller may set the flag
        return Series(c, index)[k];
    }
    static void SetDirection(Calculator& c, int index, int k, float elevation, float azimuth,
                             int32_t visible) {
        SatSample& s = Series(c, index)[k];
        s.elevation = elevation;
        s.azimuth = azimuth;
        s.visible = visible;
        c.mayBeVisible_[index] = true;
    }
    static void SetPosition(Calculator& c, int index, int k, float x, float y, float z) {
        SatSample& s = Series(c, index)[k];
        s.x = x;
        s.y = y;
        s.z = z;
    }

    static void SetDop(Calculator& c, int k, float pdop, float gdop, float hdop, float vdop, float tdop) {
        c.pdop_[k] = pdop;
        c.gdop_[k] = gdop;
        c.hdop_[k] = hdop;
        c.vdop_[k] = vdop;
        c.tdop_[k] = tdop;
    }
    static void SetCount(Calculator& c, int k, int32_t satellites, int32_t solution) {
        c.satelliteCount_[k] = satellites;
        c.solutionFlag_[k] = solution;
    }

    static void SetInterval(Calculator& c, int32_t first, int32_t count) {
        c.intervalFirst_ = first;
        c.intervalCount_ = count;
    }
    static void SetWindow(Calculator& c, int32_t start, int32_t end) {
        c.windowStart_ = start;
        c.windowEnd_ = end;
    }
    // Reallocates (zeroes) every array like the options do; 0 when the step is refused.
    static int SetStep(Calculator& c, int32_t step) { return c.SetTimeStep(step); }
    static void SetMode(Calculator& c, int32_t mode) { c.mode_ = mode; }
    static void ClearReallocated(Calculator& c) { c.reallocated_ = 0; }
};
