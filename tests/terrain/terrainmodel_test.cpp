#include "terrain/terrainmodel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>

#include <gdal.h>
#include <gdal_utils.h>

#include "terrain/horizoncache.h"

namespace fs = std::filesystem;

namespace {

const std::string kTile = TAVRIN_SOURCE_DIR "/tests/data/dem/N27E086.hgt";

fs::path Scratch(const char* name) {
    const fs::path dir = fs::temp_directory_path() / (std::string("tavrin-terrain-") + name);
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

// A part of the tile (columns x, rows y, width, height) as a GeoTIFF, written with GDAL itself.
void WritePart(const fs::path& out, int x, int y, int w, int h) {
    GDALAllRegister();
    GDALDatasetH src = GDALOpen(kTile.c_str(), GA_ReadOnly);
    ASSERT_NE(src, nullptr);
    const std::string win[] = {std::to_string(x), std::to_string(y), std::to_string(w), std::to_string(h)};
    const char* args[] = {"-of",          "GTiff",        "-srcwin",      win[0].c_str(),
                          win[1].c_str(), win[2].c_str(), win[3].c_str(), nullptr};
    GDALTranslateOptions* o = GDALTranslateOptionsNew(const_cast<char**>(args), nullptr);
    GDALDatasetH dst = GDALTranslate(out.string().c_str(), src, o, nullptr);
    GDALTranslateOptionsFree(o);
    ASSERT_NE(dst, nullptr);
    GDALClose(dst);
    GDALClose(src);
}

} // namespace

// The SRTM tile opened through GDAL holds the bytes of the file; a folder of two halves of it, cut
// 1 km north of a site, gives that site the horizon the whole tile gives: the neighbour is read.
TEST(TerrainModel, ReadsTilesAndFoldersOfTiles) {
    std::string error;
    TerrainModel whole;
    ASSERT_TRUE(whole.Open(kTile, error)) << error;
    EXPECT_EQ(whole.Name(), "N27E086.hgt");
    ASSERT_TRUE(whole.Prepare({{27.5, 86.5}}, 60000, error)) << error;
    std::ifstream in(kTile, std::ios::binary);
    for (const auto& [row, column] :
         std::vector<std::pair<int, int>>{{600, 600}, {0, 0}, {1200, 1200}, {330, 915}}) {
        in.seekg((row * 1201 + column) * 2);
        unsigned char b[2];
        in.read(reinterpret_cast<char*>(b), 2);
        const double lat = 28.0 - row / 1200.0, lon = 86.0 + column / 1200.0;
        float h = 0;
        whole.Grid()->Heights(&lat, &lon, 1, &h);
        EXPECT_EQ(h, static_cast<int16_t>(b[0] << 8 | b[1])) << row << "," << column;
    }

    const fs::path dir = Scratch("folder");
    // Phakding (27.7375, 86.710833) is row 315; the halves meet at row 303, 1.1 km north of it.
    WritePart(dir / "north.tif", 0, 0, 1201, 304);
    WritePart(dir / "south.tif", 0, 303, 1201, 898);
    std::ofstream(dir / "README.txt") << "not a raster\n";
    TerrainModel folder;
    ASSERT_TRUE(folder.Open(dir.string(), error)) << error;
    HorizonSettings s;
    auto a = whole.Horizon(27.7375, 86.710833, 0, s, "", error);
    auto b = folder.Horizon(27.7375, 86.710833, 0, s, "", error);
    ASSERT_TRUE(a && b) << error;
    for (int i = 0; i < 360; ++i)
        EXPECT_NEAR(a->elevation[static_cast<size_t>(i)], b->elevation[static_cast<size_t>(i)], 1e-4) << i;
    EXPECT_EQ(a->CutShortEntries(), b->CutShortEntries());

    // What cannot be used is named with the reason.
    TerrainModel bad;
    EXPECT_FALSE(bad.Open((dir / "README.txt").string(), error));
    EXPECT_NE(error.find("README.txt: not an elevation model"), std::string::npos) << error;
    EXPECT_FALSE(bad.Open((dir / "none").string(), error));
    EXPECT_NE(error.find("none: no such file"), std::string::npos) << error;
    const fs::path empty = Scratch("empty");
    EXPECT_FALSE(bad.Open(empty.string(), error));
    EXPECT_NE(error.find("no elevation model in the folder"), std::string::npos) << error;
    EXPECT_FALSE(whole.Horizon(10.0, 10.0, 0, s, "", error));
    EXPECT_NE(error.find("no height at 10.000000, 10.000000 (outside the model"), std::string::npos) << error;
}

// A horizon is computed once per model, site and settings; the cache answers after that, and a
// damaged or foreign cache file is computed anew.
TEST(TerrainModel, CachesHorizonsByModelSiteAndSettings) {
    const fs::path cache = Scratch("cache");
    std::string error;
    TerrainModel model;
    ASSERT_TRUE(model.Open(kTile, error)) << error;
    HorizonSettings s;
    auto first = model.Horizon(27.805, 86.71, 0, s, cache.string(), error);
    ASSERT_TRUE(first) << error;
    ASSERT_EQ(std::distance(fs::directory_iterator(cache), fs::directory_iterator()), 1);
    const fs::path file = fs::directory_iterator(cache)->path();
    auto again = model.Horizon(27.805, 86.71, 0, s, cache.string(), error);
    ASSERT_TRUE(again);
    EXPECT_EQ(again->elevation, first->elevation);
    EXPECT_EQ(again->distance, first->distance);
    EXPECT_EQ(again->model, "N27E086.hgt");
    // Read back, not computed: a value changed in the file comes back.
    std::string text;
    {
        std::ifstream in(file);
        text.assign(std::istreambuf_iterator<char>(in), {});
    }
    const size_t lastLine = text.rfind('\n', text.size() - 2) + 1;
    std::ofstream(file) << text.substr(0, lastLine) << "10 2000 0\n";
    EXPECT_EQ(model.Horizon(27.805, 86.71, 0, s, cache.string(), error)->elevation.back(), 10.0f);
    // Other settings, another entry.
    s.antennaHeight = 10;
    ASSERT_TRUE(model.Horizon(27.805, 86.71, 0, s, cache.string(), error));
    EXPECT_EQ(std::distance(fs::directory_iterator(cache), fs::directory_iterator()), 2);
    // Damaged: computed again and stored whole.
    s.antennaHeight = 2;
    std::ofstream(file) << text.substr(0, text.size() / 2);
    auto mended = model.Horizon(27.805, 86.71, 0, s, cache.string(), error);
    ASSERT_TRUE(mended);
    EXPECT_EQ(mended->elevation, first->elevation);
    TerrainHorizon stored;
    const std::string key = HorizonCacheKey(model.Identity(), 27.805, 86.71, 0, 1, 50000, 0.13, 2, false);
    ASSERT_TRUE(LoadCachedHorizon(cache.string(), key, stored));
    EXPECT_EQ(stored.elevation, first->elevation);
    EXPECT_FALSE(LoadCachedHorizon(cache.string(), key + " ", stored));
}
