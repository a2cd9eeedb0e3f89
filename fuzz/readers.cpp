// Checks of the file readers: almanacs (binary and published), site lists, the configuration,
// the language file and map files.
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "base/codepage.h"
#include "base/degrees.h"
#include "base/strings.h"
#include "base/timezone.h"
#include "checks.h"
#include "config/fetchsources.h"
#include "config/fileconfiguration.h"
#include "engine/almanac.h"
#include "engine/almanac_import.h"
#include "engine/calculator.h"
#include "engine/keplerianalmanacs.h"
#include "sites/project.h"
#include "sites/siteexchange.h"
#include "terrain/maprasters.h"

namespace {

// A file of this process in the temporary directory, holding `bytes`.
std::string Scratch(const char* tag, const std::string& bytes) {
    static const std::string dir = [] {
        const char* t = std::getenv("TMPDIR");
        return std::string(t && *t ? t : "/tmp");
    }();
    const std::string path = dir + "/tavrin-fuzz-" + std::to_string(::getpid()) + "-" + tag;
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path;
}

std::string ReadWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string Text(const uint8_t* data, size_t size) {
    return std::string(reinterpret_cast<const char*>(data), size);
}

void Require(bool holds, const char* what) {
    if (!holds)
        PropertyFailed(what);
}

// Every satellite the engine keeps passes the record tests, and a day planned from the almanac gives
// finite results only.
void CheckLoadedAlmanac(Calculator& calc) {
    for (int k = 0; k < kGpsSatellites; ++k)
        if (calc.HasAlmanac(k))
            Require(IsValidGpsRecord(calc.gpsRecords()[static_cast<size_t>(k)]),
                    "kept GPS record fails the tests");
    for (int k = 0; k < kGlonassSatellites; ++k)
        if (calc.HasAlmanac(kGpsSatellites + k))
            Require(IsValidGlonassRecord(calc.glonassRecords()[static_cast<size_t>(k)]),
                    "kept GLONASS record fails the tests");
    const SiteInfo site(47.37, 8.54, 408, "fuzz", "", 1.0f);
    const PlanInterval interval(11, 8, 2025, 6, 0, 9, 0);
    calc.AlmanacAgeClass(interval, 60);
    if (!calc.SetTimeStep(900) || !calc.Recalculate(site, interval, 1))
        return;
    for (int j = 0; j < calc.sampleCount(); ++j) {
        Require(std::isfinite(calc.pdop()[j]) && std::isfinite(calc.gdop()[j]) &&
                    std::isfinite(calc.hdop()[j]) && std::isfinite(calc.vdop()[j]) &&
                    std::isfinite(calc.tdop()[j]),
                "a DOP value is not finite");
        for (int k = 0; k < kSatellites; ++k)
            if (calc.HasAlmanac(k))
                Require(std::isfinite(calc.samples(k)[j].azimuth) &&
                            std::isfinite(calc.samples(k)[j].elevation),
                        "a satellite direction is not finite");
    }
}

int Published(const uint8_t* data, size_t size, const char* name) {
    const PublishedAlmanac a =
        ParsePublishedAlmanac(Text(data, size), name, MakeCalendarTime(0, 0, 0, 11, 8, 2025));
    if (!a.ok)
        return 0;
    for (int k = 0; k < kGpsSatellites; ++k)
        if (a.gpsPresent[static_cast<size_t>(k)])
            Require(IsValidGpsRecord(a.gps[static_cast<size_t>(k)]), "imported GPS record fails the tests");
    for (int k = 0; k < kGlonassSatellites; ++k)
        if (a.glonassPresent[static_cast<size_t>(k)])
            Require(IsValidGlonassRecord(a.glonass[static_cast<size_t>(k)]),
                    "imported GLONASS record fails the tests");
    if (a.imported == 0)
        return 0;
    // What the import would write loads with every imported satellite.
    const std::vector<uint8_t> image =
        EncodeAlmanac(a.isGps ? &a.gps : nullptr, a.isGps ? nullptr : &a.glonass);
    Calculator calc;
    calc.SetWeekReference(MakeCalendarTime(0, 0, 0, 11, 8, 2025));
    calc.LoadAlmanac(Scratch("import", std::string(image.begin(), image.end())));
    Require(calc.loadState() == kLoadOk, "an imported almanac does not load");
    for (int k = 0; k < kSatellites; ++k) {
        const bool present = k < kGpsSatellites ? a.gpsPresent[static_cast<size_t>(k)]
                                                : a.glonassPresent[static_cast<size_t>(k - kGpsSatellites)];
        Require(present == calc.HasAlmanac(k), "an imported satellite is lost or invented on loading");
    }
    CheckLoadedAlmanac(calc);
    return 0;
}

// A site list loads, is shown and checked as the programs do, and saves and reloads to the same
// sites, byte for byte.
int SiteList(const uint8_t* data, size_t size) {
    SetFileCodePage(SupportedCodePages()[size % SupportedCodePages().size()]);
    project list(Scratch("in.spl", Text(data, size)));
    if (list.loadFailed)
        return 0;
    const std::vector<std::string> faults = list.SiteFaults();
    for (const SiteInfo& s : list.sites) {
        int d, m, sec, h;
        double seconds;
        DegreesToDms(std::fabs(s.latitude), d, m, sec, h);
        SplitDegrees(std::fabs(s.longitude), d, m, seconds);
        if (s.HasValidValues())
            for (double e : {0.0, 10.0, 45.0, 89.9})
                for (double az : {0.0, 90.0, 200.0, 359.0})
                    s.FindObstruction(point<double>(e, az));
    }
    const std::string image = list.Image();
    Require(!image.empty(), "a loaded list has no image");
    project again(Scratch("out.spl", image));
    Require(!again.loadFailed, "a saved list does not load");
    Require(again.sites.Count() == list.sites.Count(), "a saved list reloads with other sites");
    Require(again.Image() == image, "a saved list reloads to other bytes");
    Require(again.SiteFaults().size() == faults.size(), "a saved list reloads with other faults");
    return 0;
}

// Every conversion of a printf format, written out whole.
std::vector<std::string> Conversions(const std::string& text) {
    std::vector<std::string> out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%')
            continue;
        if (i + 1 < text.size() && text[i + 1] == '%') {
            ++i;
            continue;
        }
        size_t j = i + 1;
        while (j < text.size() && std::strchr("-+ #0123456789.*hlLqjzt", text[j]))
            ++j;
        out.push_back(text.substr(i, j + 1 - i));
        i = j;
    }
    return out;
}

} // namespace

void PropertyFailed(const char* what) {
    std::fprintf(stderr, "property failed: %s\n", what);
    std::abort();
}

int FuzzAlmanac(const uint8_t* data, size_t size) {
    Calculator calc;
    calc.SetWeekReference(MakeCalendarTime(0, 0, 0, 11, 8, 2025));
    calc.LoadAlmanac(Scratch("alm", Text(data, size)));
    if (calc.loadState() == kLoadOk)
        CheckLoadedAlmanac(calc);
    return 0;
}

int FuzzYuma(const uint8_t* data, size_t size) {
    return Published(data, size, "almanac.alm");
}
int FuzzSem(const uint8_t* data, size_t size) {
    return Published(data, size, "almanac.al3");
}
int FuzzAgp(const uint8_t* data, size_t size) {
    return Published(data, size, "almanac.agp");
}
int FuzzAgl(const uint8_t* data, size_t size) {
    return Published(data, size, "almanac.agl");
}

int FuzzSiteListNew(const uint8_t* data, size_t size) {
    return SiteList(data, size);
}
int FuzzSiteListOld(const uint8_t* data, size_t size) {
    return SiteList(data, size);
}

int FuzzConfiguration(const uint8_t* data, size_t size) {
    SetFileCodePage(SupportedCodePages()[size % SupportedCodePages().size()]);
    const std::string path = Scratch("ORVANT.CFG", Text(data, size));
    fileConfiguration config(path);
    config.filePath.clear(); // nothing written at the end
    // A file that is not ours was kept aside whole.
    if (!config.readProblem.empty() && Text(data, size) != ReadWhole(path + ".bad"))
        PropertyFailed("a damaged configuration file was not kept aside byte for byte");
    std::remove((path + ".bad").c_str());
    Require(config.cutOffAngle >= 0 && config.cutOffAngle <= 89, "a cut-off angle outside 0-89 is kept");
    const std::string image = config.Image();
    Require(image.size() == kConfigurationFileSize, "the configuration image has another size");
    fileConfiguration again(Scratch("ORVANT2.CFG", image));
    again.filePath.clear();
    Require(again.Image() == image, "a written configuration reads back to other bytes");
    Require(std::strcmp(again.almanacPath, config.almanacPath) == 0, "the almanac path does not survive");
    return 0;
}

int FuzzLanguage(const uint8_t* data, size_t size) {
    const std::string text = Text(data, size);
    if (!LoadLanguageModule(Scratch("ORVANTLANG.lng", text)))
        return 0;
    // Every text the module holds in place of one of ours takes exactly our arguments.
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos)
            end = text.size();
        int id = 0;
        if (std::sscanf(text.substr(at, std::min<size_t>(end - at, 12)).c_str(), "%6d", &id) == 1 &&
            id >= 0) {
            const char* own = BuiltinString(id);
            const std::string used = ResString(id);
            if (own)
                Require(Conversions(used) == Conversions(own),
                        "a translation takes other arguments than ours");
            Require(used.find('\0') == std::string::npos, "a translation holds a NUL");
        }
        at = end + 1;
    }
    UnloadLanguageModule();
    return 0;
}

namespace {

// Either refused with a message and no record, or records of the system's satellites with finite
// elements that give a position.
void CheckKeplerian(const KeplerianAlmanac& a, GnssSystem system) {
    Require(a.error.empty() != a.records.empty(), "an almanac both refused and read, or neither");
    for (const KeplerEphemeris& k : a.records) {
        Require(k.satellite.system == system && SatelliteCatalogue::Index(k.satellite) >= 0,
                "a record of no catalogue satellite");
        for (double v : {k.sqrtA, k.e, k.i0, k.omega0, k.omega, k.m0, k.omegaDot, k.toeGps})
            Require(std::isfinite(v), "a record with an element that is no number");
    }
}

} // namespace

int FuzzGalileoXml(const uint8_t* data, size_t size) {
    CheckKeplerian(ReadGalileoAlmanacXml(Text(data, size), "fuzz.xml"), GnssSystem::Galileo);
    return 0;
}

int FuzzQzssYuma(const uint8_t* data, size_t size) {
    CheckKeplerian(ReadQzssYuma(Text(data, size), "fuzz.alm", MakeCalendarTime(0, 0, 0, 1, 2, 2019)),
                   GnssSystem::Qzss);
    return 0;
}

// Every source read has a known id and an http or https address; its addresses expand.
int FuzzFetchSources(const uint8_t* data, size_t size) {
    const FetchSourceList list = ParseFetchSources(Text(data, size), "fuzz.txt");
    for (const FetchSource& s : list.sources) {
        Require(KnownFetchId(s.id), "a source of an unknown id");
        Require(s.url.rfind("http://", 0) == 0 || s.url.rfind("https://", 0) == 0, "a source not over http");
        Require(!ExpandUrl(s.url, MakeCalendarTime(0, 0, 0, 31, 12, 2024)).empty(),
                "an address expanded to nothing");
    }
    return 0;
}

// What a JSON site list gives can be planned and written, and written as JSON reads back the same.
int FuzzSitesJson(const uint8_t* data, size_t size) {
    std::vector<SiteInfo> sites;
    int current = 0;
    std::string error;
    if (!ReadSitesJson(Text(data, size), "fuzz.json", sites, current, error))
        return 0;
    Require(!sites.empty() && current >= 0 && current < static_cast<int>(sites.size()), "no current site");
    project list;
    list.sites.Clear();
    for (const SiteInfo& s : sites) {
        Require(s.HasValidValues(), "a site read that cannot be planned");
        list.sites.Add(s);
    }
    list.currentIndex = static_cast<int16_t>(current);
    std::vector<SiteInfo> again;
    int currentAgain = 0;
    Require(ReadSitesJson(WriteSitesText(list, SiteTextFormat::Json), "again", again, currentAgain, error) &&
                again.size() == sites.size() && currentAgain == current,
            "written JSON does not read back");
    return 0;
}

// A zone read gives offsets within a day of GMT at every instant, and changes that are changes.
int FuzzTimeZone(const uint8_t* data, size_t size) {
    TimeZone::Rule rule;
    ParseZoneRule(Text(data, std::min<size_t>(size, 200)), rule);
    const std::optional<TimeZone> zone = TimeZone::Parse(Text(data, size));
    if (!zone)
        return 0;
    for (const int64_t t : {int64_t{-4000000000}, int64_t{0}, int64_t{1760000000}, int64_t{4200000000}}) {
        Require(std::abs(zone->OffsetAt(t)) <= 26 * 3600, "an offset beyond a day");
        if (const std::optional<int64_t> change = zone->NextChange(t, t + 86400))
            Require(*change > t && *change <= t + 86400 && zone->OffsetAt(*change) != zone->OffsetAt(t),
                    "a change that is none");
        zone->OffsetAtLocal(2026, 10, 25, 9000);
    }
    return 0;
}

// A map file read for the site map's layer holds what it says: a grid on the globe, each band's
// name, no more values than a layer keeps.
int FuzzMapRaster(const uint8_t* data, size_t size) {
    const std::string path = Scratch("map.tif", Text(data, size));
    MapRaster raster;
    std::string error;
    for (int band : {0, 1}) {
        if (!ReadMapRaster(path, band, raster, error)) {
            Require(!error.empty(), "a refusal without a reason");
            continue;
        }
        Require(raster.columns >= 1 && raster.rows >= 1 && raster.columns <= kMapRasterMaxSide &&
                    raster.rows <= kMapRasterMaxSide,
                "a layer beyond its size");
        Require(raster.values.size() ==
                    static_cast<size_t>(raster.columns) * static_cast<size_t>(raster.rows),
                "values that do not fill the grid");
        Require(raster.west < raster.east && raster.south < raster.north && std::fabs(raster.north) <= 90 &&
                    std::fabs(raster.south) <= 90,
                "a grid off the globe");
        Require(band < static_cast<int>(raster.bandNames.size()), "a band beyond the file's");
    }
    std::remove(path.c_str());
    return 0;
}
