// Map files read back for a layer: what the writer put there, and a plain refusal of what is not
// a map.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>

#include "terrain/maprasters.h"

namespace fs = std::filesystem;

namespace {

class MapRasters : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("tavrin-maprasters-" +
                std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    fs::path dir_;
};

} // namespace

TEST_F(MapRasters, ReadsBackEachBandWhereTheWriterPutIt) {
    const std::string path = (dir_ / "m.tif").string();
    MapRasterWriter w;
    std::string error;
    // 3 x 2 cells of 0.1 x 0.05 degrees from 28 N 86 E, written in two blocks of a row.
    ASSERT_TRUE(w.Create(path, 3, 2, 86.0, 28.0, 0.1, 0.05, {"hours", "worst-pdop"}, -9999.0f, error))
        << error;
    ASSERT_TRUE(w.WriteRows(0, 1, {{1, 2, 3}, {1.5f, INFINITY, 2.5f}}, error)) << error;
    ASSERT_TRUE(w.WriteRows(1, 1, {{4, -9999, 6}, {3.5f, -9999, 4.5f}}, error)) << error;
    ASSERT_TRUE(w.Finish(error)) << error;
    const std::vector<float> expected[2] = {{1, 2, 3, 4, -9999, 6},
                                            {1.5f, INFINITY, 2.5f, 3.5f, -9999, 4.5f}};
    for (int band = 0; band < 2; ++band) {
        MapRaster r;
        ASSERT_TRUE(ReadMapRaster(path, band, r, error)) << error;
        EXPECT_EQ(r.columns, 3);
        EXPECT_EQ(r.rows, 2);
        EXPECT_NEAR(r.west, 86.0, 1e-12);
        EXPECT_NEAR(r.east, 86.3, 1e-12);
        EXPECT_NEAR(r.north, 28.0, 1e-12);
        EXPECT_NEAR(r.south, 27.9, 1e-12);
        EXPECT_EQ(r.bandNames, (std::vector<std::string>{"hours", "worst-pdop"}));
        EXPECT_EQ(r.values, expected[band]);
    }
}

TEST_F(MapRasters, RefusesWhatIsNoMapSayingWhy) {
    const std::string good = (dir_ / "good.tif").string();
    {
        MapRasterWriter w;
        std::string error;
        ASSERT_TRUE(w.Create(good, 2, 2, 86.0, 28.0, 0.1, 0.1, {"hours"}, -9999.0f, error));
        ASSERT_TRUE(w.WriteRows(0, 2, {{1, 2, 3, 4}}, error));
        ASSERT_TRUE(w.Finish(error));
    }
    // Steps too small to part the edges: a grid of no width.
    const std::string thin = (dir_ / "thin.tif").string();
    {
        MapRasterWriter w;
        std::string error;
        ASSERT_TRUE(w.Create(thin, 2, 2, 86.0, 28.0, 1e-300, 0.1, {"hours"}, -9999.0f, error));
        ASSERT_TRUE(w.WriteRows(0, 2, {{1, 2, 3, 4}}, error));
        ASSERT_TRUE(w.Finish(error));
    }
    std::ifstream in(good, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), {});
    const std::string cut = (dir_ / "cut.tif").string(), text = (dir_ / "text.tif").string();
    std::ofstream(cut, std::ios::binary) << bytes.substr(0, bytes.size() / 2);
    std::ofstream(text) << "not a picture\n";
    const struct {
        std::string path;
        int band;
        const char* message;
    } cases[] = {
        {text, 0, "text.tif: not a map of latitude and longitude"},
        {cut, 0, "cut.tif: not a map of latitude and longitude"},
        {(dir_ / "none.tif").string(), 0, "none.tif: not a map"},
        {good, 1, "good.tif: has no band 2 (it has 1)"},
        {thin, 0, "thin.tif: not a map of latitude and longitude (its grid is rotated, empty"},
    };
    for (const auto& c : cases) {
        MapRaster r;
        std::string error;
        EXPECT_FALSE(ReadMapRaster(c.path, c.band, r, error)) << c.path;
        EXPECT_NE(error.find(c.message), std::string::npos) << error;
        EXPECT_TRUE(r.values.empty());
    }
}
