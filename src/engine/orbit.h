// Satellite positions from almanac elements: GPS user equations without perturbation terms, and
// GLONASS Keplerian orbits whose node and perigee drift at the J2 secular rates.
#pragma once

#include <cstdint>

#include "engine/almanac.h"
#include "engine/gnsstime.h"

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

// Terms of one satellite's orbit that do not change along it, worked out once per window; the
// positions from them are the same as from the plain calls above.
struct GpsOrbitTerms {
    double a = 0, n = 0; // semi-major axis (m), mean motion (rad/s)
    double root = 0;     // sqrt(1 - e^2)
    double cosI = 0, sinI = 0;
    double cosW = 0, sinW = 0; // argument of perigee
    double m0 = 0;             // mean anomaly at toa, rad
    double node0 = 0;          // node at the weekly epoch, rad
    double nodeRate = 0;       // Earth-fixed node rate, rad/s
    double nodeAtToa = 0;      // Earth rotation since the weekly epoch at toa, rad
};
struct GlonassOrbitTerms {
    double cosI = 0, sinI = 0;
    double root = 0; // sqrt(1 - e^2)
};
GpsOrbitTerms PrepareGpsOrbit(const GpsAlmanacRecord& record);
GlonassOrbitTerms PrepareGlonassOrbit(const GlonassAlmanacRecord& record);
int GpsPosition(const GpsAlmanacRecord& record, const GpsOrbitTerms& terms, int32_t week,
                double secondsOfWeek, float& x, float& y, float& z);
int GlonassPosition(const GlonassAlmanacRecord& record, const GlonassOrbitTerms& terms, int32_t dayNumber,
                    double secondsOfDay, float& x, float& y, float& z);

// The same positions in double precision (m), at tk seconds from the time of almanac and at dt
// seconds from the node crossing (within half the four-year cycle), with those times as the calls
// above take them.
// Inline, for a window of samples to take its times in one vectorised loop.
inline double GpsTimeFromToa(const GpsAlmanacRecord& record, int32_t week, double secondsOfWeek) {
    const double toa = record.toa;
    return static_cast<double>(week - record.week) * kSecondsPerWeek + secondsOfWeek - toa;
}
double GlonassTimeFromNode(const GlonassAlmanacRecord& record, int32_t dayNumber, double secondsOfDay);
void GpsPositionAt(const GpsAlmanacRecord& record, const GpsOrbitTerms& terms, double tk, double xyz[3]);
void GlonassPositionAt(const GlonassAlmanacRecord& record, const GlonassOrbitTerms& terms, double dt,
                       double xyz[3]);
