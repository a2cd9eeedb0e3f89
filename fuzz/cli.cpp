// Check of tavrin-cli's option parsing and of planning on what it parsed.
#include <string>
#include <vector>

#include "base/codepage.h"
#include "checks.h"
#include "cli/commands.h"

namespace {

// Words that would write files: the fuzzer must not scatter them over the machine.
bool Writes(const std::string& word) {
    for (const char* w : {"-o", "--output", "--graphs", "--pdf", "import"})
        if (word.rfind(w, 0) == 0)
            return true;
    return false;
}

} // namespace

int FuzzCli(const uint8_t* data, size_t size) {
    // One word per line; at most 24 words.
    Words words;
    std::string word;
    for (size_t i = 0; i <= size && words.size() < 24; ++i) {
        if (i == size || data[i] == '\n') {
            if (!Writes(word))
                words.push_back(word);
            word.clear();
        } else if (word.size() < 256) {
            word += static_cast<char>(data[i]);
        }
    }
    // JSON was asked for, and no --help, which prints the usage whatever else is given.
    bool json = false, help = false;
    for (const std::string& w : words) {
        json = json || w == "json" || w == "--format=json";
        help = help || w == "--help";
    }
    json = json && !help;
    std::string out, errors;
    CaptureOutput(&out, &errors);
    const int status = RunCommand(words);
    CaptureOutput(nullptr, nullptr);
    SetFileCodePage(kDefaultCodePage);
    if (status < 0 || status > 3)
        PropertyFailed("an exit status outside 0-3");
    if (status == 0 && json && !out.empty() && !IsJson(out))
        PropertyFailed("JSON output that does not parse");
    if (status != 0 && errors.empty())
        PropertyFailed("a failure without a message");
    return 0;
}
