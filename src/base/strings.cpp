#include "base/strings.h"

#include <algorithm>
#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <vector>

#include "base/paths.h"
#include "base/text.h"

namespace tavrin_detail {
extern const StringEntry kStringTable[];
extern const unsigned kStringTableSize;
} // namespace tavrin_detail

namespace {

std::unique_ptr<std::map<int, std::string>> g_languageModule;

// The conversions of a printf format, each written out whole ("%-20s", "%5.2f", ...), in order: a
// translated text is used as a format only when it has exactly the program's own conversions, so it
// reads the same arguments and cannot ask for a field width the program never meant.
std::vector<std::string> Conversions(const std::string& text) {
    std::vector<std::string> out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%')
            continue;
        if (i + 1 < text.size() && text[i + 1] == '%') {
            ++i;
            continue;
        }
        const size_t start = i++;
        while (i < text.size() && std::strchr("-+ #0123456789.*hlLqjzt", text[i]))
            ++i;
        out.push_back(text.substr(start, i < text.size() ? i - start + 1 : i - start));
    }
    return out;
}

bool Unescape(const std::string& in, std::string& out) {
    out.clear();
    for (size_t i = 0; i < in.size(); ++i) {
        if (in[i] != '\\') {
            out += in[i];
            continue;
        }
        if (++i == in.size())
            return false;
        if (in[i] == 'n')
            out += '\n';
        else if (in[i] == 't')
            out += '\t';
        else if (in[i] == '\\')
            out += '\\';
        else
            return false;
    }
    return true;
}

} // namespace

const char* BuiltinString(int id) {
    const StringEntry* begin = tavrin_detail::kStringTable;
    const StringEntry* end = begin + tavrin_detail::kStringTableSize;
    const StringEntry* it =
        std::lower_bound(begin, end, id, [](const StringEntry& e, int key) { return e.id < key; });
    return it != end && it->id == id ? it->text : nullptr;
}

namespace {

const char* FindText(int id) {
    if (g_languageModule) {
        auto it = g_languageModule->find(id);
        if (it != g_languageModule->end())
            return it->second.c_str();
    }
    const char* own = BuiltinString(id);
    return own ? own : "";
}

} // namespace

const char* LoadResString(int id) {
    static char buffer[kResStringBufferSize];
    CopyBounded(buffer, FindText(id), sizeof buffer);
    return buffer;
}

std::string ResString(int id) {
    return FindText(id);
}

bool LoadLanguageModule(const std::string& path) {
    UnloadLanguageModule();
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    auto module = std::make_unique<std::map<int, std::string>>();
    std::string line, text;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line[0] == '#')
            continue;
        size_t tab = line.find('\t');
        if (tab == std::string::npos || tab == 0)
            continue;
        std::string idText = line.substr(0, tab);
        if (!IsAllDigits(idText.c_str()) || idText.size() > 6)
            continue;
        int id = std::stoi(idText);
        // A NUL would end the text early wherever it is shown.
        if (line.find('\0') != std::string::npos || !Unescape(line.substr(tab + 1), text))
            continue;
        // A translation whose conversions differ from ours would read arguments that are not there.
        const char* own = BuiltinString(id);
        if (own && Conversions(own) != Conversions(text))
            continue;
        (*module)[id] = ToUtf8(text);
    }
    if (in.bad())
        return false;
    g_languageModule = std::move(module);
    return true;
}

bool LoadDefaultLanguageModule() {
    static const char* const kName = "ORVANTLANG.lng";
    return LoadLanguageModule(ExecutableDirectory() + kName) || LoadLanguageModule(BuildProgramPath(kName));
}

void UnloadLanguageModule() {
    g_languageModule.reset();
}

// The formats come from the string table, whose translations are held to the program's own
// conversions when the language file is loaded; they cannot be literals here.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
std::string FormatText(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string out;
    if (n > 0) {
        std::vector<char> buf(static_cast<size_t>(n) + 1);
        std::vsnprintf(buf.data(), buf.size(), format, args);
        out.assign(buf.data(), static_cast<size_t>(n));
    }
    va_end(args);
    return out;
}
#pragma GCC diagnostic pop
