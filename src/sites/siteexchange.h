// A site list as text for other programs: JSON (which reads back into the same list), CSV of
// positions and GeoJSON points, every field and every obstruction corner.
#pragma once

#include <string>
#include <vector>

#include "sites/project.h"

enum class SiteTextFormat { Json, Csv, GeoJson };

std::string WriteSitesText(const project& list, SiteTextFormat format);

// The sites of a JSON text as WriteSitesText writes it, or of a GeoJSON FeatureCollection of points
// with those properties; `current` is the 0-based current site (0 when the text names none). On a
// problem, answers false with the message (naming `source`) and leaves `sites` empty.
bool ReadSitesJson(const std::string& text, const std::string& source, std::vector<SiteInfo>& sites,
                   int& current, std::string& error);
