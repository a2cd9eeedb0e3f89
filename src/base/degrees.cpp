#include "base/degrees.h"

#include <cmath>

#include "base/numbers.h"

void DegreesToDms(double value, int& degrees, int& minutes, int& seconds, int& hundredths) {
    const long long t = SaturatingCast<long long>(std::floor(value * 360000.0 + 0.5));
    degrees = SaturatingCast<int>(static_cast<double>(t / 360000));
    minutes = static_cast<int>((t % 360000) / 6000);
    seconds = static_cast<int>((t % 6000) / 100);
    hundredths = static_cast<int>(t % 100);
}

long double DmsToDegrees(int degrees, int minutes, int seconds, int hundredths) {
    return degrees + minutes * 0.016666666666666666L + seconds * 0.0002777777777777778L +
           hundredths * 2.777777777777778e-6L;
}

void SplitDegrees(double value, int& degrees, int& minutes, double& seconds) {
    const double d = std::floor(value);
    degrees = SaturatingCast<int>(d);
    const double r = (value - d) * 60.0;
    const double m = std::floor(r);
    minutes = SaturatingCast<int>(m);
    seconds = (r - m) * 60.0;
}
