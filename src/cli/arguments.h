// Command-line words: options with values, flags and positional arguments.
#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

// The options one command takes, the one place they are listed: each command reads its words
// with them, and an option given to the wrong command is named with the command it belongs to.
struct CommandOptions {
    const char* command; // "plan", "almanac import"
    std::set<std::string> valued, flags, repeatable;
};
// The options of `command`; none for a command not listed.
const CommandOptions& OptionsOf(const std::string& command);

class Arguments {
public:
    // `valued` are the long options that take a value ("--sites"), `flags` those that do not.
    // "-o" is accepted as "--output". "--name=value" and "--name value" both work. Options in
    // `repeatable` (also in `valued`) may be given more than once; the others only once.
    Arguments(const std::vector<std::string>& words, const std::set<std::string>& valued,
              const std::set<std::string>& flags, const std::set<std::string>& repeatable = {});
    Arguments(const std::vector<std::string>& words, const CommandOptions& options);

    bool Ok() const { return error_.empty(); }
    const std::string& Error() const { return error_; } // one line, what is wrong

    bool Has(const std::string& name) const { return values_.count(name) || flags_.count(name); }
    std::optional<std::string> Value(const std::string& name) const; // the last one given
    std::vector<std::string> Values(const std::string& name) const;  // every one, in order
    const std::vector<std::string>& Positional() const { return positional_; }

private:
    void Parse(const std::vector<std::string>& words, const std::set<std::string>& valued,
               const std::set<std::string>& flags, const std::set<std::string>& repeatable);

    std::map<std::string, std::vector<std::string>> values_;
    std::set<std::string> flags_;
    std::vector<std::string> positional_;
    std::string error_;
    const char* command_ = nullptr;
};

// Strict number parsing: the whole text must be the number.
bool ParseInt(const std::string& text, int& value);
bool ParseDouble(const std::string& text, double& value);
// "HH:MM"; 24:00 is accepted as the end of the day.
bool ParseClock(const std::string& text, int& hour, int& minute);
// A length "H:MM" (hours may run beyond 24, up to `maxHours`), in seconds.
bool ParseDuration(const std::string& text, int maxHours, int& seconds);
// "YYYY-MM-DD", a real date within 1901-03-01 .. 2099-12-31.
bool ParseDate(const std::string& text, int& day, int& month, int& year);
std::vector<std::string> SplitList(const std::string& text, char separator);

// The position of an option's value among `choices`, ignoring letter case; `fallback` when the
// option is not given. A value that is none of them prints the message and answers the usage status.
int ParseChoice(const Arguments& args, const std::string& option, const std::vector<std::string>& choices,
                int fallback, int& index);
