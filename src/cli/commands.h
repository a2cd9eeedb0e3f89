// The subcommands of tavrin-cli. Each returns the process exit status.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/safefile.h"

// Exit statuses.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1; // could not write the output
inline constexpr int kExitUsage = 2;   // wrong option or value
inline constexpr int kExitInput = 3;   // a file or a value that cannot be used

using Words = std::vector<std::string>;

// The whole program after its language module is loaded: the words after the program's name, with
// --help and --version. Tests run it in-process.
int RunProgram(const Words& words);
// The command named by the first word; an unknown one is a usage error.
int RunCommand(const Words& words);
// One command's help on standard output ("plan", "sites", ...); a usage error for no such command.
int PrintHelp(const std::string& command);
class Arguments;
// Where a command ends before its work: a usage error for words its options do not take, or the
// help page `help` for --help; nothing when it goes on.
std::optional<int> EndsAtOnce(const Arguments& args, const std::string& help);
int RunPlan(const Words& words);
int RunWindows(const Words& words);
int RunHorizon(const Words& words); // the terrain's horizon at a site
int RunMap(const Words& words);     // quantities over a grid of cells
int RunSites(const Words& words);
int RunSitesChange(const std::string& command, const Words& words); // sites new|add|remove|import|export
int RunAlmanac(const Words& words); // "almanac FILE" and "almanac import FILE..."
int RunAlmanacImport(const Words& words);
int RunAlmanacFetch(const Words& words); // "almanac fetch": today's orbits from the published sources

// One line "tavrin-cli: text" on standard error, bytes that are not printable UTF-8 shown as \xNN;
// answers `status`.
int Fail(int status, const std::string& text);
// Why `path` cannot be read as an input file ("no such file", "a directory", ...), empty when it can.
std::string InputFileProblem(const std::string& path);
// Sends what would go to standard output and standard error into the strings instead (null: back
// to the streams); for running commands inside another program.
void CaptureOutput(std::string* output, std::string* errors);
struct Plan;
// The three graphs as PNG and SVG into `directory` and/or one PDF of graphs and tables; only in a
// build with Qt (TAVRIN_CLI_GRAPHS).
int WriteGraphs(const Plan& plan, const std::string& directory, const std::string& pdf, bool force);

// How plan --graphs/--pdf is drawn: by the writer a program linked with Qt sets (WriteGraphs), else,
// when allowed, by running kGraphsProgram beside this one in its place. Neither: no graphs.
using GraphsWriter = int (*)(const Plan& plan, const std::string& directory, const std::string& pdf,
                             bool force);
inline constexpr const char* kGraphsProgram = "tavrin-cli-graphs";
void SetGraphsWriter(GraphsWriter writer);
void AllowGraphsHandOver();
bool CanHandOver(); // AllowGraphsHandOver was called
bool CanDrawGraphs();
int DrawGraphs(const Plan& plan, const std::string& directory, const std::string& pdf, bool force);
// Runs kGraphsProgram with "plan" and `planWords`; answers (with the message said) only when that
// cannot be done. `drawing` names the option asked for.
int HandOverGraphs(const Words& planWords, const char* drawing);
// The same for any command: kGraphsProgram with `command` and its words.
int HandOverToGraphsProgram(const char* command, const Words& words, const char* drawing);

// map, horizon and --dem read elevation models through GDAL, almanac fetch downloads through
// libcurl; their libraries take longer to load than the rest of a run takes. They run in this
// process when the program links them (SetFullParts with RunMap, AttachModelTerrain and
// RunAlmanacFetch), else in kGraphsProgram run in this one's place, so that every other command
// starts without them.
struct HorizonSettings;
class SiteInfo;
struct FullParts {
    int (*map)(const Words& words) = nullptr;
    int (*attach)(const std::string& demPath, const HorizonSettings& settings,
                  std::vector<SiteInfo>& sites) = nullptr;
    int (*fetch)(const Words& words) = nullptr;
};
void SetFullParts(const FullParts& parts);
bool HasFullParts();
// Whether `command` with `words` needs them.
bool NeedsFullParts(const std::string& command, const Words& words);
// map and almanac fetch through the parts set; without them, the usage status and why. (--dem
// goes through AttachTerrain, cli/terrain.h.)
int RunFullMap(const Words& words);
int RunFullFetch(const Words& words);

// map -o FILE.png, drawn the same way: by the writer a program with Qt sets (WriteMapPictures),
// else by kGraphsProgram. Each path gets a picture per quantity (MapPicturePath when several).
struct MapPicture;
using MapPictureWriter = int (*)(const MapPicture& picture, const std::vector<std::string>& paths,
                                 bool force);
void SetMapPictureWriter(MapPictureWriter writer);
bool CanDrawMapPictures();
int DrawMapPictures(const MapPicture& picture, const std::vector<std::string>& paths, bool force);
int WriteMapPictures(const MapPicture& picture, const std::vector<std::string>& paths, bool force);
// "FILE: cannot be written (reason)", for a read-only file with the way round it.
std::string OutputErrorText(const std::string& path, int error);

// Where a command's results go: standard output (or the captured string) when the path is empty
// or "-", else a file written safely (SafeWriter), piece by piece as they are made. A failure is
// reported with the file and the reason and answers the output failure status; after it, writes
// do nothing.
class Output {
public:
    // `force` replaces a read-only file.
    int Open(const std::string& path, bool force = false);
    int Write(std::string_view text);
    // Puts the file in place.
    int Finish();

private:
    int Failed();

    SafeWriter file_;
    std::string path_;
    bool captured_ = false;
    int status_ = kExitOk;
};

// The whole of `text` through an Output.
int WriteOutput(const std::string& path, const std::string& text, bool force = false);
