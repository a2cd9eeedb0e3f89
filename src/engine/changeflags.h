// What changed since the last recalculation, and how much of it the engine has to redo.
#pragma once

#include <cstdint>

class ChangeFlags {
public:
    static constexpr uint32_t kTime = 0x001;         // begin or end time of day
    static constexpr uint32_t kSatellites = 0x002;   // satellite selection
    static constexpr uint32_t kMode = 0x004;         // 2-D/3-D mode
    static constexpr uint32_t kObstructions = 0x008; // obstructions or their use
    static constexpr uint32_t kCutOff = 0x010;       // cut-off angle
    static constexpr uint32_t kPosition = 0x020;     // site latitude, longitude or altitude
    static constexpr uint32_t kGmtOffset = 0x040;    // site local-time offset
    static constexpr uint32_t kDate = 0x080;         // planning date
    static constexpr uint32_t kAlmanac = 0x100;      // almanac loaded or changed, or time step
    static constexpr uint32_t kAll = 0x1FF;          // a new or opened site list

    ChangeFlags() = default;
    explicit ChangeFlags(uint32_t bits) : bits_(bits & kAll) {}

    void Set(uint32_t bits) { bits_ |= bits & kAll; }
    bool Test(uint32_t bits) const { return (bits_ & bits) != 0; }
    void Clear() { bits_ = 0; }
    void Clear(uint32_t bits) { bits_ &= ~bits; }
    bool Any() const { return bits_ != 0; }
    uint32_t Bits() const { return bits_; }

    // The level for Calculator::Recalculate: 1 everything, 2 from azimuth/elevation on, 3 visibility
    // and DOP, 4 only the displayed interval; 0 when nothing changed.
    int Level() const { return LevelOf(bits_); }
    static int LevelOf(uint32_t bits);

private:
    uint32_t bits_ = 0;
};
