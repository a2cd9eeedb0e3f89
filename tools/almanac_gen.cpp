// Build step: turns the committed published almanacs into the almanac files the program ships.
// Usage: tavrin_almanac_gen DIR YYYY-MM-DD EXPECTED-NAME FILE [FILE]
// The date fixes the era of weeks published modulo 1024, so the build is reproducible; the
// expected name guards the file the build system installs.
#include <cstdio>
#include <string>
#include <vector>

#include "engine/almanac_import.h"
#include "engine/calendar.h"

int main(int argc, char** argv) {
    if (argc < 5 || argc > 6) {
        std::fprintf(stderr, "usage: tavrin_almanac_gen DIR YYYY-MM-DD EXPECTED-NAME FILE [FILE]\n");
        return 2;
    }
    int year = 0, month = 0, day = 0;
    if (std::sscanf(argv[2], "%d-%d-%d", &year, &month, &day) != 3 || !IsValidDate(day, month, year)) {
        std::fprintf(stderr, "tavrin_almanac_gen: bad date %s\n", argv[2]);
        return 2;
    }
    const std::vector<std::string> files(argv + 4, argv + argc);
    const AlmanacImportResult r =
        ImportAlmanacFiles(files, argv[1], MakeCalendarTime(0, 0, 0, day, month, year));
    for (const std::string& w : r.warnings)
        std::fprintf(stderr, "%s\n", w.c_str());
    for (const std::string& e : r.errors)
        std::fprintf(stderr, "tavrin_almanac_gen: %s\n", e.c_str());
    if (!r.written)
        return 1;
    const std::string expected = std::string(argv[1]) + "/" + argv[3];
    if (r.path != expected) {
        std::fprintf(stderr, "tavrin_almanac_gen: wrote %s, expected %s\n", r.path.c_str(), expected.c_str());
        return 1;
    }
    return 0;
}
