// Angles in degrees, minutes and seconds, as the user types and reads them.
#pragma once

void DegreesToDms(double value, int& degrees, int& minutes, int& seconds, int& hundredths);
long double DmsToDegrees(int degrees, int minutes, int seconds, int hundredths);
void SplitDegrees(double value, int& degrees, int& minutes, double& seconds);
