// The subcommands of tavrin-cli. Each returns the process exit status.
#pragma once

#include <string>
#include <vector>

// Exit statuses.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1; // could not write the output
inline constexpr int kExitUsage = 2;   // wrong option or value
inline constexpr int kExitInput = 3;   // a file or a value that cannot be used

using Words = std::vector<std::string>;

int RunPlan(const Words& words);
int RunWindows(const Words& words);
int RunSites(const Words& words);
int RunAlmanac(const Words& words); // "almanac FILE" and "almanac import FILE..."
int RunAlmanacImport(const Words& words);

// One line "tavrin-cli: text" on standard error; answers `status`.
int Fail(int status, const std::string& text);
struct Plan;
// The three graphs as PNG and SVG into `directory` and/or one PDF of graphs and tables; only in a
// build with Qt (TAVRIN_CLI_GRAPHS).
int WriteGraphs(const Plan& plan, const std::string& directory, const std::string& pdf);

// Writes `text` to `path` (through a temporary file) or to standard output when `path` is empty.
int WriteOutput(const std::string& path, const std::string& text);
