// Check of tavrin-cli's option parsing, of planning on what it parsed, and of its writes: every
// file it is told to write lands in a scratch directory, and a command that fails leaves every
// file there as it was.
#include <algorithm>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "base/codepage.h"
#include "checks.h"
#include "cli/arguments.h"
#include "cli/commands.h"

namespace {

namespace fs = std::filesystem;

const std::string& Scratch() {
    static const std::string dir = [] {
        char name[] = "/tmp/tavrin-fuzz-cli-XXXXXX";
        return std::string(::mkdtemp(name) ? name : "/tmp");
    }();
    return dir;
}

// The files a run may meet: one to replace, one its owner made read-only, a folder.
void ResetScratch() {
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(Scratch(), ec)) {
        fs::permissions(e.path(), fs::perms::owner_all, ec);
        fs::remove_all(e.path(), ec);
    }
    std::ofstream(Scratch() + "/previous.txt") << "previous";
    std::ofstream(Scratch() + "/readonly.txt") << "the user's";
    ::chmod((Scratch() + "/readonly.txt").c_str(), 0444);
    fs::create_directory(Scratch() + "/folder", ec);
}

std::map<std::string, std::string> Snapshot() {
    std::map<std::string, std::string> files;
    std::error_code ec;
    for (const auto& e : fs::recursive_directory_iterator(Scratch(), ec)) {
        std::ifstream in(e.path(), std::ios::binary);
        files[e.path().string()] =
            e.is_regular_file() ? std::string(std::istreambuf_iterator<char>(in), {}) : "";
    }
    return files;
}

// A path the fuzzer gave, put into the scratch directory under its last name; empty and "-" stay.
std::string IntoScratch(const std::string& path) {
    if (path.empty() || path == "-")
        return path;
    std::string name = path.substr(path.rfind('/') + 1);
    if (name.empty() || name == "." || name == "..")
        name = "x";
    return Scratch() + "/" + name;
}

bool IsPathOption(const std::string& word) {
    for (const char* w : {"-o", "--output", "--graphs", "--pdf", "--dir"})
        if (word == w)
            return true;
    return false;
}

std::string WithScratchValue(const std::string& word) {
    const size_t eq = word.find('=');
    return eq != std::string::npos && IsPathOption(word.substr(0, eq))
               ? word.substr(0, eq + 1) + IntoScratch(word.substr(eq + 1))
               : word;
}

} // namespace

int FuzzCli(const uint8_t* data, size_t size) {
    // One word per line; at most 24 words.
    Words words;
    std::string word;
    for (size_t i = 0; i <= size && words.size() < 24; ++i) {
        if (i == size || data[i] == '\n') {
            const bool value = !words.empty() && IsPathOption(words.back());
            words.push_back(value ? IntoScratch(word) : WithScratchValue(word));
            word.clear();
        } else if (word.size() < 256) {
            word += static_cast<char>(data[i]);
        }
    }
    // An import with no --dir would write into the current directory.
    bool import = false, hasDir = false, json = false, help = false, force = false;
    for (const std::string& w : words) {
        import = import || w == "import";
        hasDir = hasDir || w == "--dir" || w.rfind("--dir=", 0) == 0;
        json = json || w == "json" || w == "--format=json";
        help = help || w == "--help";
        force = force || w == "--force";
    }
    if (import && !hasDir)
        words.insert(words.end(), {"--dir", Scratch()});
    // The site list a sites command changes goes into the scratch directory too: every word that
    // is not an option or an option's value may be that list.
    if (words.size() > 1 && words[0] == "sites")
        if (const CommandOptions& o = OptionsOf("sites " + words[1]); *o.command)
            for (size_t i = 2; i < words.size(); ++i)
                if (words[i].rfind("-", 0) != 0 && !o.valued.count(words[i - 1]))
                    words[i] = IntoScratch(words[i]);
    // A fetch would go out to the network, and elevation models and maps go through GDAL, whose caches
    // live until the process ends: the fuzzer keeps to the program's own readers.
    for (const std::string& w : words)
        if (w == "fetch" || w == "horizon" || w == "map" || w.rfind("--dem", 0) == 0)
            return 0;
    json = json && !help;

    ResetScratch();
    const std::map<std::string, std::string> before = Snapshot();
    std::string out, errors;
    CaptureOutput(&out, &errors);
    const int status = RunCommand(words);
    CaptureOutput(nullptr, nullptr);
    SetFileCodePage(kDefaultCodePage);
    const std::map<std::string, std::string> after = Snapshot();

    if (status < 0 || status > 3)
        PropertyFailed("an exit status outside 0-3");
    if (status == 0 && json && !out.empty() && !IsJson(out))
        PropertyFailed("JSON output that does not parse");
    if (status != 0 && errors.empty())
        PropertyFailed("a failure without a message");
    if (status != 0 && after != before)
        PropertyFailed("a failed command changed, made or removed a file");
    if (!force && after.at(Scratch() + "/readonly.txt") != "the user's")
        PropertyFailed("a read-only file was replaced without --force");
    for (const auto& [path, bytes] : after)
        if (path.find("/.tavrin-") != std::string::npos)
            PropertyFailed("a temporary was left behind");
    return 0;
}
