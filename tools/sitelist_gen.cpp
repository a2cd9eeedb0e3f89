// Build step: turns the text description of the sample sites into a site list file.
// Usage: tavrin_sitelist_gen SOURCE.txt OUTPUT.spl
// The format of the source is described at its top.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "sites/obstruction.h"
#include "sites/project.h"

namespace {

std::string Trim(const std::string& s) {
    const size_t b = s.find_first_not_of(" \t");
    const size_t e = s.find_last_not_of(" \t\r");
    return b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
}

std::vector<std::string> Split(const std::string& s, char separator) {
    std::vector<std::string> parts;
    std::istringstream in(s);
    for (std::string part; std::getline(in, part, separator);)
        parts.push_back(Trim(part));
    return parts;
}

bool Number(const std::string& s, double& value) {
    char* end = nullptr;
    value = std::strtod(s.c_str(), &end);
    return !s.empty() && end && *end == '\0';
}

int Fail(int line, const char* what) {
    std::fprintf(stderr, "tavrin_sitelist_gen: line %d: %s\n", line, what);
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: tavrin_sitelist_gen SOURCE.txt OUTPUT.spl\n");
        return 2;
    }
    std::ifstream in(argv[1]);
    if (!in) {
        std::fprintf(stderr, "tavrin_sitelist_gen: cannot read %s\n", argv[1]);
        return 1;
    }
    project list;
    list.sites.Clear();
    std::string current;
    int lineNumber = 0;
    for (std::string line; std::getline(in, line);) {
        ++lineNumber;
        line = Trim(line);
        if (line.empty() || line[0] == '#')
            continue;
        const size_t space = line.find(' ');
        const std::string keyword = line.substr(0, space);
        const std::string rest = space == std::string::npos ? std::string() : Trim(line.substr(space));
        if (keyword == "site") {
            const std::vector<std::string> f = Split(rest, '|');
            double lat, lon, alt, gmt;
            if (f.size() != 6 || !Number(f[2], lat) || !Number(f[3], lon) || !Number(f[4], alt) ||
                !Number(f[5], gmt))
                return Fail(lineNumber, "expected NAME | DESCRIPTION | LAT | LON | ALT | GMT");
            if (f[0].size() > 20 || f[1].size() > 60)
                return Fail(lineNumber, "name longer than 20 or description longer than 60 bytes");
            list.sites.Add(SiteInfo(lat, lon, alt, f[0].c_str(), f[1].c_str(), static_cast<float>(gmt)));
        } else if (keyword == "obstruction") {
            if (list.sites.Count() == 0)
                return Fail(lineNumber, "obstruction before the first site");
            const size_t kindEnd = rest.find(' ');
            const std::string kind = rest.substr(0, kindEnd);
            if (kind != "horizon" && kind != "straight")
                return Fail(lineNumber, "expected obstruction horizon|straight");
            Obstruction outline;
            for (const std::string& vertex : Split(rest.substr(kindEnd), ';')) {
                const std::vector<std::string> v = Split(vertex, ' ');
                double el, az;
                if (v.size() != 2 || !Number(v[0], el) || !Number(v[1], az))
                    return Fail(lineNumber, "expected ELEVATION AZIMUTH; ...");
                outline.Add(point<double>(el, az));
            }
            if (outline.Count() < 3)
                return Fail(lineNumber, "an outline needs at least three vertices");
            CloseOutline(outline, kind == "horizon");
            list.sites.GetAt(list.sites.Count() - 1)->obstructions.Add(outline);
        } else if (keyword == "current") {
            current = rest;
        } else {
            return Fail(lineNumber, "unknown keyword");
        }
    }
    if (list.sites.Count() == 0)
        return Fail(lineNumber, "no site");
    list.currentIndex = 0;
    for (int i = 0; i < list.sites.Count(); ++i)
        if (current == list.sites.GetAt(i)->name)
            list.currentIndex = static_cast<int16_t>(i);
    if (!list.Save(argv[2])) {
        std::fprintf(stderr, "tavrin_sitelist_gen: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
