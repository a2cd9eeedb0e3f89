// Satellite positions from almanac elements: GPS user equations without perturbation terms, and
// GLONASS Keplerian orbits whose node and perigee drift at the J2 secular rates.
#pragma once

#include <cstdint>

#include "engine/almanac.h"

// Earth-fixed position at GPS time (week, seconds of week); GPS time is taken equal to UTC.
// `record` must have passed the record tests (its week reconstructed). Always 1.
int GpsPosition(const GpsAlmanacRecord& record, int32_t week, double secondsOfWeek, float& x, float& y,
                float& z);

// Earth-fixed position at GLONASS time (UTC + 3 h): one-based day of the four-year period and
// seconds of the day. Always 1.
int GlonassPosition(const GlonassAlmanacRecord& record, int32_t dayNumber, double secondsOfDay, float& x,
                    float& y, float& z);

// The GLONASS orbit's semi-major axis (m) and mean motion (rad/s) dt seconds after the almanac's
// node crossing, from the draconic period and its drift.
double GlonassSemiMajorAxis(const GlonassAlmanacRecord& record, double dt);
double GlonassMeanMotion(const GlonassAlmanacRecord& record, double dt);
