// tavrin-cli almanac fetch against a server of the test's own on 127.0.0.1, serving real published
// files under the sources' paths.
#include <gtest/gtest.h>
#include <zlib.h>

#include "cli_fixture.h"
#include "http_server.h"

using namespace cli_fixture;

namespace {

const std::string kData = TAVRIN_SOURCE_DIR "/tests/data/";

std::string Gzip(const std::string& text) {
    z_stream z{};
    deflateInit2(&z, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&z, text.size()), '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
    z.avail_in = static_cast<uInt>(text.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

// Every file of a directory with its bytes.
std::map<std::string, std::string> Snapshot(const fs::path& dir) {
    std::map<std::string, std::string> files;
    for (const auto& e : fs::directory_iterator(dir))
        files[e.path().filename().string()] = ReadFile(e.path());
    return files;
}

class Fetch : public CliRun {
protected:
    void SetUp() override {
        CliRun::SetUp();
        sources_ = dir_ / "sources.txt";
        std::ofstream(sources_) << "# test sources\n"
                                << "gps-yuma " << server_.Base() << "/gps/{YYYY}/Yuma/{DDD}.alm\n"
                                << "galileo-xml " << server_.Base() << "/gsc/{DATE}.xml\n"
                                << "brdc " << server_.Base()
                                << "/brdc/{YYYY}/{DDD}/BRDC_{YYYY}{DDD}.rnx.gz\n";
        almanacs_ = dir_ / "almanacs"; // the user's almanac directory: the program home is dir_
    }
    Outcome FetchRun(const std::string& systems) {
        return Tavrin("almanac fetch --date 2022-02-01 --timeout 1 --systems " + systems + " --sources '" +
                      sources_.string() + "'");
    }
    HttpServer server_;
    fs::path sources_, almanacs_;
};

TEST_F(Fetch, ArrivedFilesAreCheckedKeptAndPlannedAsIfGivenByHand) {
    const std::string yuma = ReadFile(kData + "almanacs/current_2022-02-01.alm");
    server_.Set("/gps/2022/Yuma/032.alm", {{200, yuma, "\"v1\""}});
    server_.Set("/gsc/2022-01-31.xml", {{302, "", "", "/gsc/real.xml"}});
    server_.Set("/gsc/real.xml", {{200, ReadFile(kData + "almanacs/2022-01-14.xml")}});
    // The merged file of the day is not out yet: the day before is taken.
    server_.Set(
        "/brdc/2022/031/BRDC_2022031.rnx.gz",
        {{500, "busy"}, {200, Gzip(ReadFile(kData + "multignss/OPEC00NOR_S_20220010000_01D_EN.rnx"))}});
    const Outcome r = FetchRun("gps,galileo");
    ASSERT_EQ(r.status, 0) << r.err << r.out;
    EXPECT_NE(r.out.find("gps-yuma: fetched"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("galileo-xml: fetched"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("brdc: fetched"), std::string::npos) << r.out;
    EXPECT_EQ(server_.Hits("/brdc/2022/031/BRDC_2022031.rnx.gz"), 2); // 500, then 200 on the retry
    EXPECT_TRUE(fs::exists(almanacs_ / "BRDC_2022031.rnx"));

    // A second fetch asks whether the file changed: one round trip, nothing written.
    const auto before = Snapshot(almanacs_);
    const Outcome again = FetchRun("gps");
    EXPECT_EQ(again.status, 0) << again.err;
    EXPECT_NE(again.out.find("gps-yuma: not modified"), std::string::npos) << again.out;
    EXPECT_EQ(server_.Hits("/gps/2022/Yuma/032.alm"), 2);

    // A plan without --almanac takes what was fetched, and equals the plan from the same file
    // imported by hand.
    const fs::path byHand = dir_ / "by-hand";
    fs::create_directories(byHand);
    ASSERT_EQ(Tavrin("almanac import '" + (almanacs_ / "032.alm").string() + "' --near 2022-02-01 --dir '" +
                     byHand.string() + "'")
                  .status,
              0);
    const std::string plan = " --systems gps --date 2022-02-01 --format csv --to 03:00";
    const Outcome fetched = Tavrin("plan" + plan);
    const Outcome given = Tavrin("plan --almanac '" + byHand.string() + "'" + plan);
    ASSERT_EQ(fetched.status, 0) << fetched.err;
    EXPECT_EQ(fetched.out, given.out);
}

// Whatever goes wrong, the directory stays as it was and the source is named with the reason.
TEST_F(Fetch, FailuresLeaveTheDirectoryAsItWas) {
    std::ofstream(sources_) << "gps-yuma " << server_.Base() << "/gps/{YYYY}/Yuma/{DDD}.alm\n";
    server_.Set("/gps/2022/Yuma/032.alm", {{200, ReadFile(kData + "almanacs/current_2022-02-01.alm")}});
    ASSERT_EQ(FetchRun("gps").status, 0);
    const auto before = Snapshot(almanacs_);
    struct Case {
        const char* what;
        HttpResponse response;
        std::string reason;
    } cases[] = {
        {"not found", {404, "no"}, "answered 404"},
        {"server error", {500, "down"}, "answered 500"},
        {"an HTML page", {200, "<html><body>Maintenance</body></html>"}, "not what the source should give"},
        {"cut short",
         {200, ReadFile(kData + "almanacs/current_2022-02-01.alm").substr(0, 900), "", "", true},
         "gps-yuma: failed"},
        {"no answer", {200, "late", "", "", false, 5}, "gps-yuma: failed"},
        {"a damaged gzip", {200, "\x1f\x8b garbage"}, "damaged"},
    };
    for (const Case& c : cases) {
        server_.Set("/gps/2022/Yuma/032.alm", {c.response});
        const Outcome r = FetchRun("gps");
        EXPECT_EQ(r.status, 3) << c.what;
        EXPECT_NE(r.out.find(c.reason), std::string::npos) << c.what << ": " << r.out;
        EXPECT_EQ(Snapshot(almanacs_), before) << c.what;
    }
    // A sources file with a mistake is named by line; a wrong option is a usage error.
    std::ofstream(sources_) << "gps-yuma ftp://example.org/x.alm\n";
    const Outcome bad = FetchRun("gps");
    EXPECT_EQ(bad.status, 3);
    EXPECT_NE(bad.err.find("sources.txt line 1"), std::string::npos) << bad.err;
    EXPECT_EQ(Tavrin("almanac fetch --timeout 0").status, 2);
}

} // namespace
