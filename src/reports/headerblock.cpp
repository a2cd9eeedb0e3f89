#include "reports/headerblock.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "base/degrees.h"
#include "base/strings.h"
#include "base/text.h"
#include "engine/calculator.h"
#include "sites/siteinfo.h"

namespace {

constexpr int kRightColumn = 40;      // characters from the indent to the right column
constexpr int kDescriptionWidth = 30; // characters
constexpr int kDescriptionLines = 3;
constexpr int kSatelliteListMinLines = 3;

class Writer {
public:
    Writer(HeaderBlock& block, int column, int indentLines)
        : block_(block), column_(column), top_(indentLines) {}
    void Line(const std::string& text) {
        if (!text.empty())
            block_.items.push_back({FontRole::Body, column_, top_ + y, false, text});
        ++y;
    }
    int y = 1; // the block starts one line down

private:
    HeaderBlock& block_;
    int column_;
    int top_;
};

// Degrees, minutes and seconds rounded to hundredths, carried so that 59.999" never prints as 60.00.
void SplitForPrint(double value, int& degrees, int& minutes, double& seconds) {
    SplitDegrees(std::fabs(value), degrees, minutes, seconds);
    seconds = std::floor(seconds * 100.0 + 0.5) / 100.0;
    if (seconds >= 60.0) {
        seconds -= 60.0;
        if (++minutes == 60) {
            minutes = 0;
            ++degrees;
        }
    }
}

std::string Coordinate(int formatId, double value, int positiveLetter, int negativeLetter) {
    int d, m;
    double s;
    SplitForPrint(value, d, m, s);
    const std::string letters = ResString(IDS_HEMISPHERE_LETTERS); // "NSWE"
    const auto letterAt = [&](int i) {
        return i < static_cast<int>(letters.size()) ? letters[static_cast<size_t>(i)] : '?';
    };
    const char letter = value >= 0 ? letterAt(positiveLetter) : letterAt(negativeLetter);
    return FormatText(ResString(formatId).c_str(), d, m, s, letter);
}

void SatelliteList(Writer& w, int headingId, const std::array<int32_t, SatelliteCatalogue::kSize>& statuses,
                   GnssSystem system, int width) {
    const int start = w.y;
    const std::string heading = ResString(headingId);
    std::string buffer;
    bool headed = false;
    auto flush = [&] {
        if (!headed)
            w.Line(heading);
        headed = true;
        w.Line(buffer);
        buffer.clear();
    };
    for (int n = 1; n <= SatelliteCatalogue::Count(system); ++n) {
        const int32_t s = statuses[static_cast<size_t>(SatelliteCatalogue::Index({system, n}))];
        if (s != 0 && s != 4)
            continue;
        buffer += FormatText("%3d", n);
        if (static_cast<int>(buffer.size()) >= width)
            flush();
    }
    if (!buffer.empty())
        flush();
    if (!headed)
        return; // no satellite of the system: no heading either
    if (w.y < start + kSatelliteListMinLines)
        w.y = start + kSatelliteListMinLines;
}

} // namespace

std::vector<std::string> WrapWords(const std::string& text, int width) {
    std::vector<std::string> lines;
    if (width < 1)
        width = 1;
    std::string line;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n')) {
            if (text[i] == '\n' && !line.empty()) {
                lines.push_back(line);
                line.clear();
            }
            ++i;
        }
        size_t j = i;
        while (j < text.size() && text[j] != ' ' && text[j] != '\t' && text[j] != '\n')
            ++j;
        std::string word = text.substr(i, j - i);
        i = j;
        if (word.empty())
            break;
        const int sep = line.empty() ? 0 : 1;
        if (TextColumns(line) + sep + TextColumns(word) <= width) {
            line += (sep ? " " : "") + word;
            continue;
        }
        if (!line.empty())
            lines.push_back(line);
        line.clear();
        while (TextColumns(word) > width) { // a word longer than the line is cut at a character
            size_t cut = 0;
            for (int c = 0; cut < word.size(); ++cut)
                if ((static_cast<unsigned char>(word[cut]) & 0xC0) != 0x80 && c++ == width)
                    break;
            lines.push_back(word.substr(0, cut));
            word.erase(0, cut);
        }
        line = word;
    }
    if (!line.empty())
        lines.push_back(line);
    return lines;
}

HeaderInfo MakeHeaderInfo(const Calculator& calculator, const SiteInfo* site, const PlanInterval& interval) {
    HeaderInfo info;
    if (site) {
        info.hasSite = true;
        info.siteName = site->name;
        info.siteDescription = site->description;
        info.latitude = site->latitude;
        info.longitude = site->longitude;
        info.altitude = site->altitude;
        info.gmtOffset = site->gmtOffset;
        if (site->terrain)
            info.terrain = site->terrain->model;
    }
    info.almanacPath = calculator.almanacFileName();
    for (int i = 0; i < SatelliteCatalogue::kSize; ++i)
        info.statuses[static_cast<size_t>(i)] = calculator.status(i);
    info.elevationMask = calculator.elevationMask();
    info.mode = calculator.mode();
    info.interval = interval;
    return info;
}

HeaderBlock LayoutHeaderBlock(const HeaderInfo& info, int indentChars, int indentLines, int pageChars) {
    HeaderBlock block;

    Writer left(block, indentChars, indentLines);
    left.Line(ResString(IDS_HEADER_SITE_NAME));
    left.Line(Printable(info.siteName));
    left.Line("");
    left.Line(ResString(IDS_HEADER_SITE_DESCRIPTION));
    const std::vector<std::string> description =
        WrapWords(Printable(info.siteDescription), kDescriptionWidth);
    for (size_t i = 0; i < description.size() && i < kDescriptionLines; ++i)
        block.items.push_back(
            {FontRole::Body, indentChars, indentLines + left.y + static_cast<int>(i), false, description[i]});
    left.y += kDescriptionLines + 1;
    left.Line(Coordinate(IDS_HEADER_LATITUDE, info.latitude, 0, 1));
    left.Line(Coordinate(IDS_HEADER_LONGITUDE, info.longitude, 3, 2));
    left.Line(FormatText(ResString(IDS_HEADER_ALTITUDE).c_str(), info.altitude));
    left.Line("");
    left.Line(FormatText(ResString(IDS_HEADER_GMT_OFFSET).c_str(), static_cast<double>(info.gmtOffset)));

    const int rightColumn = indentChars + kRightColumn;
    Writer right(block, rightColumn, indentLines);
    const std::string fileName = Printable(std::filesystem::path(info.almanacPath).filename().string());
    const int width = pageChars - rightColumn - 2;
    if (info.sources.empty())
        right.Line(FormatText(ResString(IDS_HEADER_ALMANAC_FILE).c_str(), fileName.c_str(), ""));
    for (const std::string& source : info.sources)
        for (const std::string& line : WrapWords(source, width))
            right.Line(line);
    right.Line("");
    // A heading only where the plan has one of the system's satellites.
    const int headings[kGnssSystems] = {IDS_HEADER_GPS_AVAILABLE,     IDS_HEADER_GLONASS_AVAILABLE,
                                        IDS_HEADER_GALILEO_AVAILABLE, IDS_HEADER_BEIDOU_AVAILABLE,
                                        IDS_HEADER_QZSS_AVAILABLE,    IDS_HEADER_NAVIC_AVAILABLE};
    for (int s = 0; s < kGnssSystems; ++s)
        SatelliteList(right, headings[s], info.statuses, static_cast<GnssSystem>(s), width);
    right.Line(FormatText(ResString(IDS_HEADER_CUTOFF).c_str(), CutOffDegrees(info.elevationMask)));
    if (!info.terrain.empty())
        for (const std::string& line : WrapWords(
                 FormatText(ResString(IDS_TERRAIN_HEADER).c_str(), Printable(info.terrain).c_str()), width))
            right.Line(line);
    right.Line(FormatText(ResString(IDS_HEADER_MODE).c_str(),
                          ResString(info.mode == 1 ? IDS_MODE_2D : IDS_MODE_3D).c_str()));
    right.Line(!info.dateText.empty()
                   ? FormatText(ResString(IDS_HEADER_DATE_TEXT).c_str(), info.dateText.c_str())
                   : FormatText(ResString(IDS_HEADER_DATE).c_str(), info.interval.beginMonth,
                                info.interval.beginDay, info.interval.beginYear));
    right.Line("");
    right.Line(FormatText(ResString(IDS_HEADER_INTERVAL).c_str(), info.interval.beginHour,
                          info.interval.beginMinute, info.interval.endHour, info.interval.endMinute));
    // Either column may be the longer one (a short almanac list, a long description).
    block.heightLines = std::max(left.y, right.y);
    return block;
}
