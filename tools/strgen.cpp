// Compiles the string table files into a sorted C++ table and a header of named ids.
// Input lines: ID<TAB>NAME<TAB>TEXT, '#' comments, blank lines ignored; TEXT escapes \n \t \\.
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Entry {
    long id;
    std::string name;
    std::string text;
};

bool Unescape(const std::string& in, std::string& out) {
    out.clear();
    for (size_t i = 0; i < in.size(); ++i) {
        if (in[i] != '\\') {
            out += in[i];
            continue;
        }
        if (++i == in.size())
            return false;
        switch (in[i]) {
        case 'n':
            out += '\n';
            break;
        case 't':
            out += '\t';
            break;
        case '\\':
            out += '\\';
            break;
        default:
            return false;
        }
    }
    return true;
}

std::string CLiteral(const std::string& s) {
    std::string out = "\"";
    for (unsigned char c : s) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c < 0x20 || c >= 0x7f || c == '?') {
            // octal keeps UTF-8 bytes exact and avoids trigraphs and hex run-ons
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\%03o", c);
            out += buf;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

bool ValidName(const std::string& n) {
    if (n.empty() || !(std::isalpha(static_cast<unsigned char>(n[0])) || n[0] == '_'))
        return false;
    return std::all_of(n.begin(), n.end(),
                       [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; });
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::cerr << "usage: tavrin_strgen table.cpp ids.h strings.txt...\n";
        return 2;
    }
    std::vector<Entry> entries;
    std::set<long> ids;
    std::set<std::string> names;
    bool ok = true;
    for (int file = 3; file < argc; ++file) {
        std::ifstream in(argv[file], std::ios::binary);
        if (!in) {
            std::cerr << argv[file] << ": cannot open\n";
            return 1;
        }
        std::string line;
        int lineNo = 0;
        auto fail = [&](const std::string& why) {
            std::cerr << argv[file] << ":" << lineNo << ": " << why << "\n";
            ok = false;
        };
        while (std::getline(in, line)) {
            ++lineNo;
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            if (line.empty() || line[0] == '#')
                continue;
            size_t t1 = line.find('\t');
            size_t t2 = t1 == std::string::npos ? t1 : line.find('\t', t1 + 1);
            if (t2 == std::string::npos) {
                fail("expected ID<TAB>NAME<TAB>TEXT");
                continue;
            }
            Entry e;
            try {
                size_t used = 0;
                e.id = std::stol(line.substr(0, t1), &used);
                if (used != t1 || e.id < 0 || e.id > 65535)
                    throw std::invalid_argument("id");
            } catch (...) {
                fail("bad id");
                continue;
            }
            e.name = line.substr(t1 + 1, t2 - t1 - 1);
            if (!ValidName(e.name))
                fail("bad name '" + e.name + "'");
            if (!Unescape(line.substr(t2 + 1), e.text))
                fail("bad escape");
            if (!ids.insert(e.id).second)
                fail("duplicate id " + std::to_string(e.id));
            if (!names.insert(e.name).second)
                fail("duplicate name " + e.name);
            entries.push_back(std::move(e));
        }
    }
    if (!ok)
        return 1;
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.id < b.id; });

    std::ostringstream cpp;
    cpp << "// Generated from resources/strings.txt; do not edit.\n"
           "#include \"base/strings.h\"\n\n"
           "namespace tavrin_detail {\n"
           "extern const StringEntry kStringTable[];\n"
           "extern const unsigned kStringTableSize;\n"
           "const StringEntry kStringTable[] = {\n";
    for (const Entry& e : entries)
        cpp << "    {" << e.id << ", " << CLiteral(e.text) << "},\n";
    if (entries.empty())
        cpp << "    {-1, \"\"},\n";
    cpp << "};\nconst unsigned kStringTableSize = " << entries.size() << ";\n} // namespace tavrin_detail\n";

    std::ostringstream h;
    h << "// Generated from resources/strings.txt; do not edit.\n#pragma once\n\nenum StringId : int {\n";
    for (const Entry& e : entries)
        h << "    " << e.name << " = " << e.id << ",\n";
    h << "};\n";

    // Rewrite only on change so that dependants are not rebuilt needlessly.
    auto writeIfChanged = [](const char* path, const std::string& content) {
        std::ifstream old(path, std::ios::binary);
        std::stringstream ss;
        ss << old.rdbuf();
        if (old && ss.str() == content)
            return true;
        std::ofstream outFile(path, std::ios::binary | std::ios::trunc);
        outFile << content;
        return static_cast<bool>(outFile);
    };
    if (!writeIfChanged(argv[1], cpp.str()) || !writeIfChanged(argv[2], h.str())) {
        std::cerr << "tavrin_strgen: cannot write output\n";
        return 1;
    }
    return 0;
}
