#include "cli/arguments.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "base/strings.h"
#include "base/text.h"
#include "cli/commands.h"
#include "engine/calendar.h"

namespace {

// An empty name would quietly mean standard output or the current directory.
bool IsPathOption(const std::string& name) {
    return name == "--output" || name == "--pdf" || name == "--graphs" || name == "--dir" ||
           name == "--sites" || name == "--almanac";
}

// Letters to change, add or remove to turn one word into the other.
size_t EditDistance(const std::string& a, const std::string& b) {
    std::vector<size_t> row(b.size() + 1);
    for (size_t j = 0; j <= b.size(); ++j)
        row[j] = j;
    for (size_t i = 1; i <= a.size(); ++i) {
        size_t diagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= b.size(); ++j) {
            const size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

// The options plan and windows share: the site, the orbits, the settings and the terrain.
std::set<std::string> PlannerOptions(std::initializer_list<const char*> more) {
    std::set<std::string> options{"--sites",
                                  "--site",
                                  "--at",
                                  "--gmt-offset",
                                  "--tz",
                                  "--almanac",
                                  "--date",
                                  "--from",
                                  "--to",
                                  "--step",
                                  "--mode",
                                  "--cutoff",
                                  "--systems",
                                  "--orbits",
                                  "--exclude",
                                  "--format",
                                  "--output",
                                  "--days",
                                  "--positions",
                                  "--codepage",
                                  "--dem",
                                  "--max-distance",
                                  "--antenna-height",
                                  "--refraction"};
    options.insert(more.begin(), more.end());
    return options;
}

const std::vector<CommandOptions>& AllCommandOptions() {
    static const std::vector<CommandOptions> all = [] {
        const std::set<std::string> plannerFlags{"--no-obstructions", "--help",      "--all-sites",
                                                 "--force",           "--allow-old", "--antenna-altitude"};
        const std::set<std::string> siteValued{"--name",        "--at",          "--gmt-offset",
                                               "--description", "--obstruction", "--codepage"};
        return std::vector<CommandOptions>{
            {"plan",
             PlannerOptions({"--table", "--width", "--lines", "--graphs", "--pdf"}),
             plannerFlags,
             {"--site", "--almanac"}},
            {"windows",
             PlannerOptions({"--max-pdop", "--min-sats", "--min-length", "--min-common", "--sort"}),
             plannerFlags,
             {"--site", "--almanac"}},
            {"horizon",
             {"--dem", "--at", "--sites", "--site", "--step", "--max-distance", "--antenna-height",
              "--refraction", "--format", "--output", "--codepage"},
             {"--help", "--force", "--antenna-altitude"},
             {}},
            {"map",
             {"--bbox",     "--spacing",      "--cells",          "--tile",       "--show",
              "--base",     "--join",         "--almanac",        "--date",       "--from",
              "--to",       "--step",         "--mode",           "--cutoff",     "--systems",
              "--orbits",   "--exclude",      "--output",         "--codepage",   "--dem",
              "--max-pdop", "--min-sats",     "--min-common",     "--min-length", "--gmt-offset",
              "--tz",       "--max-distance", "--antenna-height", "--refraction"},
             {"--help", "--force", "--allow-old", "--exact-horizons", "--no-obstructions"},
             {"--almanac", "--output"}},
            {"sites", {"--format", "--output", "--codepage"}, {"--help", "--force"}, {}},
            {"sites new", siteValued, {"--help", "--force"}, {"--obstruction"}},
            {"sites add", siteValued, {"--help", "--force", "--convert"}, {"--obstruction"}},
            {"sites remove", {"--codepage"}, {"--help", "--force", "--convert"}, {}},
            {"sites import", {"--from", "--codepage"}, {"--help", "--force", "--replace", "--convert"}, {}},
            {"sites export", {"--format", "--output", "--codepage"}, {"--help", "--force"}, {}},
            {"almanac", {"--output"}, {"--help", "--force"}, {}},
            {"almanac import", {"--dir", "--near"}, {"--help", "--force"}, {}},
            {"almanac fetch",
             {"--date", "--systems", "--dir", "--sources", "--timeout"},
             {"--help", "--force"},
             {}},
        };
    }();
    return all;
}

// The commands other than `command` that take the option, "windows" or "sites new, sites add".
std::string CommandsTaking(const std::string& name, const char* command) {
    std::string commands;
    for (const CommandOptions& o : AllCommandOptions())
        if (std::string_view(o.command) != command && (o.valued.count(name) || o.flags.count(name)))
            commands += (commands.empty() ? "" : ", ") + std::string(o.command);
    return commands;
}

// "unknown option --dat: did you mean --date?" when one option is that near, "... it is an option
// of windows" when another command takes it, else the plain words.
std::string UnknownOption(const std::string& name, const std::set<std::string>& valued,
                          const std::set<std::string>& flags, const char* command) {
    if (command)
        if (const std::string others = CommandsTaking(name, command); !others.empty())
            return FormatText(ResString(IDS_CLI_OPTION_OF_OTHER).c_str(), name.c_str(), command,
                              others.c_str());
    // At most two letters off; of two as near, one the word begins (a name cut short).
    std::string nearest;
    size_t best = 6;
    for (const std::set<std::string>* options : {&valued, &flags})
        for (const std::string& o : *options)
            if (const size_t d = 2 * EditDistance(name, o) - (o.rfind(name, 0) == 0 ? 1 : 0); d < best) {
                best = d;
                nearest = o;
            }
    return nearest.empty()
               ? FormatText(ResString(IDS_CLI_UNKNOWN_OPTION).c_str(), name.c_str())
               : FormatText(ResString(IDS_CLI_UNKNOWN_OPTION_NEAR).c_str(), name.c_str(), nearest.c_str());
}

} // namespace

Arguments::Arguments(const std::vector<std::string>& words, const std::set<std::string>& valued,
                     const std::set<std::string>& flags, const std::set<std::string>& repeatable) {
    Parse(words, valued, flags, repeatable);
}

Arguments::Arguments(const std::vector<std::string>& words, const CommandOptions& options)
    : command_(options.command) {
    Parse(words, options.valued, options.flags, options.repeatable);
}

void Arguments::Parse(const std::vector<std::string>& words, const std::set<std::string>& valued,
                      const std::set<std::string>& flags, const std::set<std::string>& repeatable) {
    for (size_t i = 0; i < words.size() && error_.empty(); ++i) {
        std::string w = words[i];
        if (w == "-o")
            w = "--output";
        if (w.size() < 2 || w.compare(0, 2, "--") != 0 || w == "--") {
            if (w.size() > 1 && w[0] == '-' && w != "-")
                error_ = FormatText(ResString(IDS_CLI_UNKNOWN_OPTION).c_str(), w.c_str());
            else
                positional_.push_back(w);
            continue;
        }
        std::string name = w, value;
        bool inlineValue = false;
        if (size_t eq = w.find('='); eq != std::string::npos) {
            name = w.substr(0, eq);
            value = w.substr(eq + 1);
            inlineValue = true;
        }
        if (valued.count(name)) {
            if (!inlineValue) {
                if (i + 1 >= words.size()) {
                    error_ = FormatText(ResString(IDS_CLI_MISSING_VALUE).c_str(), name.c_str());
                    break;
                }
                value = words[++i];
            }
            if (value.empty() && IsPathOption(name))
                error_ = FormatText(LoadResString(IDS_CLI_EMPTY_PATH), name.c_str());
            else if (values_.count(name) && !repeatable.count(name))
                error_ = FormatText(ResString(IDS_CLI_REPEATED_OPTION).c_str(), name.c_str());
            values_[name].push_back(value);
        } else if (flags.count(name) && !inlineValue) {
            flags_.insert(name);
        } else {
            error_ = UnknownOption(name, valued, flags, command_);
        }
    }
}

const CommandOptions& OptionsOf(const std::string& command) {
    static const CommandOptions none{"", {}, {}, {}};
    for (const CommandOptions& o : AllCommandOptions())
        if (command == o.command)
            return o;
    return none;
}

std::optional<std::string> Arguments::Value(const std::string& name) const {
    auto it = values_.find(name);
    if (it == values_.end())
        return std::nullopt;
    return it->second.back();
}

std::vector<std::string> Arguments::Values(const std::string& name) const {
    auto it = values_.find(name);
    return it == values_.end() ? std::vector<std::string>{} : it->second;
}

bool ParseInt(const std::string& text, int& value) {
    if (text.empty() || text.size() > 10)
        return false;
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (errno || *end || end == text.c_str() || v < -2147483647L || v > 2147483647L)
        return false;
    value = static_cast<int>(v);
    return true;
}

bool ParseDouble(const std::string& text, double& value) {
    if (text.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    const double v = std::strtod(text.c_str(), &end);
    if (errno || *end || end == text.c_str() || !std::isfinite(v))
        return false;
    value = v;
    return true;
}

bool ParseClock(const std::string& text, int& hour, int& minute) {
    // "8:00" as well as "08:00".
    const size_t colon = text.find(':');
    if ((colon != 1 && colon != 2) || text.size() != colon + 3)
        return false;
    const std::string h = text.substr(0, colon), m = text.substr(colon + 1, 2);
    if (!IsAllDigits(h.c_str()) || !IsAllDigits(m.c_str()))
        return false;
    hour = std::atoi(h.c_str());
    minute = std::atoi(m.c_str());
    return (hour < 24 && minute < 60) || (hour == 24 && minute == 0);
}

bool ParseDuration(const std::string& text, int maxHours, int& seconds) {
    const size_t colon = text.find(':');
    if (colon == std::string::npos || colon == 0 || colon > 3 || text.size() != colon + 3)
        return false;
    const std::string h = text.substr(0, colon), m = text.substr(colon + 1);
    if (!IsAllDigits(h.c_str()) || !IsAllDigits(m.c_str()))
        return false;
    const int hours = std::atoi(h.c_str()), minutes = std::atoi(m.c_str());
    if (minutes > 59 || hours > maxHours)
        return false;
    seconds = hours * 3600 + minutes * 60;
    return true;
}

bool ParseDate(const std::string& text, int& day, int& month, int& year) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-')
        return false;
    const std::string y = text.substr(0, 4), m = text.substr(5, 2), d = text.substr(8, 2);
    if (!IsAllDigits(y.c_str()) || !IsAllDigits(m.c_str()) || !IsAllDigits(d.c_str()))
        return false;
    year = std::atoi(y.c_str());
    month = std::atoi(m.c_str());
    day = std::atoi(d.c_str());
    return IsValidDate(day, month, year);
}

std::vector<std::string> SplitList(const std::string& text, char separator) {
    std::vector<std::string> out;
    size_t start = 0;
    for (;;) {
        const size_t end = text.find(separator, start);
        out.push_back(text.substr(start, end - start));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return out;
}

int ParseChoice(const Arguments& args, const std::string& option, const std::vector<std::string>& choices,
                int fallback, int& index) {
    index = fallback;
    const std::optional<std::string> value = args.Value(option);
    if (!value)
        return kExitOk;
    const auto same = [](const std::string& a, const std::string& b) {
        return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
                   return std::tolower(static_cast<unsigned char>(x)) ==
                          std::tolower(static_cast<unsigned char>(y));
               });
    };
    for (size_t i = 0; i < choices.size(); ++i) {
        if (same(*value, choices[i])) {
            index = static_cast<int>(i);
            return kExitOk;
        }
    }
    std::string list;
    for (const std::string& c : choices)
        list += (list.empty() ? "" : ", ") + c;
    return Fail(kExitUsage, FormatText(ResString(IDS_CLI_BAD_CHOICE).c_str(), option.c_str(), value->c_str(),
                                       list.c_str()));
}
