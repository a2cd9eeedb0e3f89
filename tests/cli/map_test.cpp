// tavrin-cli map: its cells against the planner's own windows, its strips against one run, a
// ridge whose shadow is known, and what it says to values it cannot use.
#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include <gdal.h>

#ifdef TAVRIN_CLI_GRAPHS
#include <QImage>
#endif

#include "cli_fixture.h"

using namespace cli_fixture;

namespace {

class Map : public CliRun {};

const std::string kNav =
    "--almanac '" TAVRIN_SOURCE_DIR "/tests/data/multignss/OPEC00NOR_S_20220010000_01D_GN.rnx' "
    "--almanac '" TAVRIN_SOURCE_DIR "/tests/data/multignss/OPEC00NOR_S_20220010000_01D_EN.rnx' "
    "--systems gps,galileo --date 2022-01-01 --step 5 ";
const std::string kTile = "'" TAVRIN_SOURCE_DIR "/tests/data/dem/N27E086.hgt'";

// Every band of a raster, row by row.
std::vector<std::vector<float>> Bands(const fs::path& path) {
    GDALAllRegister();
    std::vector<std::vector<float>> bands;
    GDALDatasetH ds = GDALOpen(path.c_str(), GA_ReadOnly);
    if (!ds)
        return bands;
    const int w = GDALGetRasterXSize(ds), h = GDALGetRasterYSize(ds);
    for (int b = 1; b <= GDALGetRasterCount(ds); ++b) {
        std::vector<float>& v = bands.emplace_back(static_cast<size_t>(w * h));
        EXPECT_EQ(
            GDALRasterIO(GDALGetRasterBand(ds, b), GF_Read, 0, 0, w, h, v.data(), w, h, GDT_Float32, 0, 0),
            CE_None);
    }
    GDALClose(ds);
    return bands;
}

// CSV rows as name -> value maps.
std::vector<std::map<std::string, std::string>> Rows(const std::string& csv) {
    const std::vector<std::string> lines = Lines(csv);
    std::vector<std::map<std::string, std::string>> rows;
    if (lines.empty())
        return rows;
    const std::vector<std::string> head = Fields(lines[0]);
    for (size_t i = 1; i < lines.size(); ++i) {
        std::vector<std::string> f = Fields(lines[i]);
        f.resize(head.size());
        auto& row = rows.emplace_back();
        for (size_t k = 0; k < head.size(); ++k)
            row[head[k]] = f[k];
    }
    return rows;
}

} // namespace

// Each cell's hours and longest window are those `windows` finds at the cell's position with the
// same horizon (each cell's own rays here), open sky and terrain alike.
TEST_F(Map, CellsAgreeWithTheWindowsOfTheirPositions) {
    for (const std::string& terrain : {std::string(), "--dem " + kTile + " "}) {
        const std::string conditions = "--max-pdop 2.5 --from 06:00 --to 18:00 " + terrain;
        const Outcome map = Tavrin("map --bbox 27.70,86.68,27.74,86.74 --cells 2 --exact-horizons "
                                   "--show hours,longest-window,worst-pdop " +
                                   kNav + conditions);
        ASSERT_EQ(map.status, 0) << map.err;
        const auto cells = Rows(map.out);
        ASSERT_EQ(cells.size(), 4u);
        for (const auto& cell : cells) {
            const std::string at = cell.at("latitude") + "," + cell.at("longitude") + "," +
                                   (terrain.empty() ? "0" : cell.at("altitude"));
            const Outcome w = Tavrin("windows --format csv --at " + at + " " + kNav + conditions);
            ASSERT_EQ(w.status, 0) << w.err;
            double sum = 0, longest = 0;
            for (const auto& window : Rows(w.out)) {
                sum += std::stod(window.at("length_seconds")) / 3600;
                longest = std::max(longest, std::stod(window.at("length_seconds")) / 3600);
            }
            EXPECT_NEAR(std::stod(cell.at("hours")), sum, 1e-4) << at << terrain;
            EXPECT_NEAR(std::stod(cell.at("longest-window")), longest, 1e-4) << at << terrain;
            const Outcome any = Tavrin("windows --format csv --at " + at + " " + kNav +
                                       "--from 06:00 --to 18:00 --sort pdop " + terrain);
            const auto all = Rows(any.out);
            // One window over the whole working day: its worst PDOP is the cell's.
            if (all.size() == 1 && all[0].at("length_seconds") == "43200") {
                EXPECT_NEAR(std::stod(cell.at("worst-pdop")), std::stod(all[0].at("worst_pdop")), 1e-3);
            }
        }
    }
}

// Strips computed apart and joined by a VRT hold what one run over the whole area holds; the
// GeoTIFF is georeferenced on the area's edges, a band per quantity.
TEST_F(Map, StripsJoinedEqualOneRun) {
    const std::string run =
        "map --bbox 27.6,86.6,27.9,86.9 --cells 5 --show hours,mean-pdop --max-distance 10 --dem " + kTile +
        " " + kNav;
    ASSERT_EQ(Tavrin(run + "-o '" + (dir_ / "whole.tif").string() + "'").status, 0);
    for (int i = 1; i <= 3; ++i) {
        const Outcome strip = Tavrin(run + "--tile " + std::to_string(i) + "/3 -o '" +
                                     (dir_ / ("s" + std::to_string(i) + ".tif")).string() + "'");
        ASSERT_EQ(strip.status, 0) << strip.err;
    }
    const Outcome join =
        Tavrin("map --join '" + (dir_ / "all.vrt").string() + "' '" + (dir_ / "s1.tif").string() + "' '" +
               (dir_ / "s2.tif").string() + "' '" + (dir_ / "s3.tif").string() + "'");
    ASSERT_EQ(join.status, 0) << join.err;
    const auto whole = Bands(dir_ / "whole.tif"), joined = Bands(dir_ / "all.vrt");
    ASSERT_EQ(whole.size(), 2u);
    ASSERT_EQ(joined, whole);
    GDALDatasetH ds = GDALOpen((dir_ / "whole.tif").c_str(), GA_ReadOnly);
    double gt[6];
    ASSERT_EQ(GDALGetGeoTransform(ds, gt), CE_None);
    EXPECT_NEAR(gt[0], 86.6, 1e-9);
    EXPECT_NEAR(gt[3], 27.9, 1e-9);
    EXPECT_NEAR(gt[1], 0.06, 1e-9);
    EXPECT_STREQ(GDALGetDescription(GDALGetRasterBand(ds, 2)), "mean-pdop");
    GDALClose(ds);
}

// A plain at sea level with one ridge 3 km high running north and south: on its crest and beyond
// the horizon's reach the sky is the open sky's; at its foot the ridge hides half of it and the
// hours shrink; where the model has no height the map has none either.
TEST_F(Map, ARidgeShadowsOnlyItsFoot) {
    GDALAllRegister();
    const fs::path dem = dir_ / "ridge.tif";
    constexpr int kSize = 201; // 0.001 degree cells over 27.4-27.6 N, 86.4-86.6 E
    GDALDatasetH ds =
        GDALCreate(GDALGetDriverByName("GTiff"), dem.c_str(), kSize, kSize, 1, GDT_Float32, nullptr);
    double gt[6] = {86.3995, 0.001, 0, 27.6005, 0, -0.001};
    GDALSetGeoTransform(ds, gt);
    GDALSetProjection(ds, "GEOGCS[\"WGS 84\",DATUM[\"WGS_1984\",SPHEROID[\"WGS 84\",6378137,298.257223563]],"
                          "PRIMEM[\"Greenwich\",0],UNIT[\"degree\",0.0174532925199433]]");
    std::vector<float> heights(kSize * kSize, 0.0f);
    for (int r = 0; r < kSize; ++r) {
        heights[static_cast<size_t>(r * kSize + 100)] = 3000.0f;   // the ridge at 86.5 E
        heights[static_cast<size_t>(r * kSize + 200)] = -32768.0f; // a hole along the east edge
    }
    GDALSetRasterNoDataValue(GDALGetRasterBand(ds, 1), -32768);
    ASSERT_EQ(GDALRasterIO(GDALGetRasterBand(ds, 1), GF_Write, 0, 0, kSize, kSize, heights.data(), kSize,
                           kSize, GDT_Float32, 0, 0),
              CE_None);
    GDALClose(ds);
    const std::string area =
        "map --show hours --max-pdop 2.5 --bbox 27.4995,86.40,27.5005,86.601 --max-distance 5 ";
    const Outcome open = Tavrin(area + "--spacing 100 " + kNav);
    const Outcome ridge = Tavrin(area + "--spacing 100 --dem '" + dem.string() + "' " + kNav);
    ASSERT_EQ(ridge.status, 0) << ridge.err;
    const auto o = Rows(open.out), t = Rows(ridge.out);
    ASSERT_EQ(o.size(), t.size());
    int far = 0, foot = 0, crest = 0, holes = 0;
    for (size_t i = 0; i < t.size(); ++i) {
        const double lon = std::stod(t[i].at("longitude"));
        const double distance = std::fabs(lon - 86.5) * 98800; // m
        if (t[i].at("hours").empty()) {
            ++holes;
            EXPECT_GT(lon, 86.599);
        } else if (distance > 5500) { // the reach, the ridge's flank and a cell
            ++far;
            EXPECT_EQ(t[i].at("hours"), o[i].at("hours")) << lon << " " << t[i].at("latitude");
        } else if (std::stod(t[i].at("altitude")) > 2000) {
            ++crest;
            EXPECT_EQ(t[i].at("hours"), o[i].at("hours"));
        } else if (distance < 300) {
            ++foot;
            EXPECT_LT(std::stod(t[i].at("hours")), std::stod(o[i].at("hours")) - 2) << lon;
        }
    }
    EXPECT_GT(far, 0);
    EXPECT_GT(foot, 0);
    EXPECT_GT(holes, 0);
}

#ifdef TAVRIN_CLI_GRAPHS
// tavrin-cli links no GDAL: what reads a model runs in the program beside it, with the same words
// and the same output as in one process.
TEST_F(Map, TheProgramWithoutGdalHandsOverWhatReadsAModel) {
    for (const std::string& args :
         {"horizon --dem " + kTile + " --at 27.9,86.8 --format csv",
          "plan --dem " + kTile + " --at 27.9,86.8 --table dop --format csv --to 02:00 " + kNav,
          "map --bbox 27.8,86.7,27.9,86.8 --cells 2 --max-distance 5 --dem " + kTile + " " + kNav}) {
        const fs::path out = dir_ / "out";
        const std::string command =
            std::string("'") + TAVRIN_CLI + "' " + args + " >'" + out.string() + "' 2>/dev/null";
        EXPECT_EQ(WEXITSTATUS(std::system(command.c_str())), 0) << args;
        const Outcome inProcess = Tavrin(args);
        EXPECT_EQ(inProcess.status, 0) << args << ": " << inProcess.err;
        EXPECT_FALSE(inProcess.out.empty()) << args;
        EXPECT_EQ(ReadFile(out), inProcess.out) << args;
    }
}
#endif

// Wrong values are said plainly with the usage status, before anything is computed or written.
TEST_F(Map, RefusesWhatItCannotUse) {
    const struct {
        const char* options;
        const char* message;
    } cases[] = {
        {"--cells 4", "map needs --bbox"},
        {"--bbox 27,86,28 --cells 4", "--bbox 27,86,28: expected south,west,north,east"},
        {"--bbox 28,86,27,87 --cells 4", "--bbox 28,86,27,87: expected"},
        {"--bbox 27,86,28,nan --cells 4", "expected south,west"},
        {"--bbox 27,86,28,99 --cells 4", "10 degrees across"},
        {"--bbox 27,86,28,87", "either --spacing or --cells"},
        {"--bbox 27,86,28,87 --cells 4 --spacing 100", "either --spacing or --cells"},
        {"--bbox 27,86,28,87 --cells 0", "--cells 0: expected a whole number from 1 to 8192"},
        {"--bbox 27,86,28,87 --spacing 1", "more cells than a map may"},
        {"--bbox 27,86,28,87 --cells 4 --tile 3/2", "--tile 3/2: expected I/N"},
        {"--bbox 27,86,28,87 --cells 4 --tile 0/2", "--tile 0/2"},
        {"--bbox 27,86,28,87 --cells 4 --tile 1/5", "no more strips than rows"},
        {"--bbox 27,86,28,87 --cells 4 --tile x", "--tile x"},
        {"--bbox 27,86,28,87 --cells 4 --show hours,hours", "each once"},
        {"--bbox 27,86,28,87 --cells 4 --show best", "--show best"},
        {"--bbox 27,86,28,87 --cells 4 --show common", "--show common needs --base"},
        {"--bbox 27,86,28,87 --cells 4 --show common --base 95,3", "--at 95,3"},
        {"--bbox 27,86,28,87 --cells 4 -o map.jpg", "map.jpg: a map is written as .tif, .csv or .png"},
        {"--bbox 27,86,28,87 --cells 4 --at 27,86", "--at"},
        {"--join out.vrt", "--join needs the strips"},
    };
    for (const auto& c : cases) {
        const Outcome r = Tavrin(std::string("map ") + c.options);
        EXPECT_EQ(r.status, kExitUsage) << c.options;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << c.options << ": " << r.err;
        EXPECT_TRUE(r.out.empty()) << c.options;
    }
}

#ifdef TAVRIN_CLI_GRAPHS
// A picture under the name given for one quantity, a picture each (NAME-QUANTITY.png) for several;
// the map's longer side 800 pixels, with the caption and legend about it.
TEST_F(Map, DrawsAPicturePerQuantity) {
    const std::string run = "map --bbox 27.70,86.68,27.74,86.74 --cells 3 --max-pdop 2 " + kNav;
    const fs::path one = dir_ / "one.png";
    Outcome r = Tavrin(run + "-o '" + one.string() + "'");
    ASSERT_EQ(r.status, 0) << r.err;
    const QImage image(QString::fromStdString(one.string()));
    ASSERT_FALSE(image.isNull());
    EXPECT_GE(image.width(), 800); // the map's longer side, west to east here
    EXPECT_LE(image.width(), 1400);
    EXPECT_GE(image.height(), 600);
    EXPECT_LE(image.height(), 1400);
    r = Tavrin(run + "--show hours,worst-pdop -o '" + (dir_ / "map.png").string() + "'");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_FALSE(fs::exists(dir_ / "map.png"));
    for (const char* name : {"map-hours.png", "map-worst-pdop.png"})
        EXPECT_FALSE(QImage(QString::fromStdString((dir_ / name).string())).isNull()) << name;
}
#endif
