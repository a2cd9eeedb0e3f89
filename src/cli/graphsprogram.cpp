// plan --graphs/--pdf and map -o FILE.png: drawn in this process when the program links Qt, else
// by the program that does, run in this one's place, so that every other command starts without
// loading Qt; and so too elevation models (GDAL) and downloads (libcurl).
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#if defined(__unix__)
#include <cerrno>
#include <unistd.h>
#endif

#include "base/paths.h"
#include "base/strings.h"
#include "cli/commands.h"
#include "cli/terrain.h"

namespace {

GraphsWriter g_writer = nullptr;
FullParts g_parts;
MapPictureWriter g_mapWriter = nullptr;
bool g_handOver = false;

} // namespace

void SetGraphsWriter(GraphsWriter writer) {
    g_writer = writer;
}

void AllowGraphsHandOver() {
    g_handOver = true;
}

bool CanHandOver() {
    return g_handOver;
}

bool CanDrawGraphs() {
    return g_writer != nullptr;
}

int DrawGraphs(const Plan& plan, const std::string& directory, const std::string& pdf, bool force) {
    return g_writer ? g_writer(plan, directory, pdf, force) : kExitUsage;
}

void SetMapPictureWriter(MapPictureWriter writer) {
    g_mapWriter = writer;
}

bool CanDrawMapPictures() {
    return g_mapWriter != nullptr;
}

int DrawMapPictures(const MapPicture& picture, const std::vector<std::string>& paths, bool force) {
    return g_mapWriter ? g_mapWriter(picture, paths, force) : kExitUsage;
}

void SetFullParts(const FullParts& parts) {
    g_parts = parts;
}

bool HasFullParts() {
    return g_parts.map != nullptr;
}

bool NeedsFullParts(const std::string& command, const Words& words) {
    if (command == "map" || command == "horizon")
        return true;
    if (command == "almanac")
        return !words.empty() && words[0] == "fetch";
    if (command != "plan" && command != "windows")
        return false;
    return std::any_of(words.begin(), words.end(),
                       [](const std::string& w) { return w == "--dem" || w.rfind("--dem=", 0) == 0; });
}

namespace {

int Missing(const char* what, const char* library) {
    return Fail(kExitUsage, FormatText(ResString(IDS_CLI_NO_PART).c_str(), what, library));
}

} // namespace

int RunFullMap(const Words& words) {
    return g_parts.map ? g_parts.map(words) : Missing("map", "GDAL");
}

int RunFullFetch(const Words& words) {
    return g_parts.fetch ? g_parts.fetch(words) : Missing("almanac fetch", "libcurl");
}

int AttachTerrain(const std::string& demPath, const HorizonSettings& settings, std::vector<SiteInfo>& sites) {
    return g_parts.attach ? g_parts.attach(demPath, settings, sites) : Missing("--dem", "GDAL");
}

int HandOverGraphs(const Words& planWords, const char* drawing) {
    return HandOverToGraphsProgram("plan", planWords, drawing);
}

int HandOverToGraphsProgram(const char* command, const Words& commandWords, const char* drawing) {
    if (!g_handOver)
        return Fail(kExitUsage, FormatText(ResString(IDS_CLI_NO_GRAPHS).c_str(), drawing));
    const std::string program = ExecutableDirectory() + kGraphsProgram;
#if defined(__unix__)
    // The same words, so that the other program's checks and messages are this one's.
    std::vector<std::string> words = {program, command};
    words.insert(words.end(), commandWords.begin(), commandWords.end());
    std::vector<char*> argv;
    for (std::string& w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);
    std::cout.flush();
    std::fflush(nullptr);
    ::execv(program.c_str(), argv.data());
    const int error = errno;
#else
    const int error = ENOENT;
#endif
    return Fail(kExitUsage, FormatText(ResString(IDS_CLI_GRAPHS_PROGRAM).c_str(), drawing, program.c_str(),
                                       std::strerror(error)));
}
