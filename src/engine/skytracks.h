// The sky tracks of a computed plan, for the obstruction editor.
#pragma once

#include <vector>

#include "sites/skytracksource.h"

class Calculator;

// The tracks of the enabled satellites over the interval the calculator last computed.
std::vector<SkyTrack> SkyTracksOf(const Calculator& calculator);
