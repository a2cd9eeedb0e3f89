#include "reports/textpage.h"

#include <algorithm>

#include "base/strings.h"

std::string ClockText(int seconds) {
    const int hours = (seconds / 3600) % 24, minutes = (seconds % 3600) / 60;
    if (seconds < 0)
        return FormatText("%02d:%02d", hours, minutes);
    // Tables and CSV print this for every row: no formatting call for it.
    return {static_cast<char>('0' + hours / 10), static_cast<char>('0' + hours % 10), ':',
            static_cast<char>('0' + minutes / 10), static_cast<char>('0' + minutes % 10)};
}

int TextColumns(const std::string& text) {
    int n = 0;
    for (unsigned char c : text)
        if ((c & 0xC0) != 0x80)
            ++n;
    return n;
}

namespace {

// Byte offset of code point `column` in `text` (or its end).
size_t ByteOffset(const std::string& text, int column) {
    size_t i = 0;
    for (int c = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
            if (c == column)
                return i;
            ++c;
        }
    }
    return text.size();
}

// Writes `text` into `line` from code-point column `column`, padding with blanks.
void Place(std::string& line, int column, const std::string& text) {
    const int have = TextColumns(line);
    if (have < column)
        line.append(static_cast<size_t>(column - have), ' ');
    const size_t start = ByteOffset(line, column);
    const size_t end = ByteOffset(line, column + TextColumns(text));
    line.replace(start, end - start, text);
}

} // namespace

std::vector<std::string> RenderPlainText(const TextPage& page, int charsPerLine) {
    std::vector<std::string> lines;
    for (const TextItem& item : page.items) {
        if (item.line < 0)
            continue;
        if (lines.size() <= static_cast<size_t>(item.line))
            lines.resize(static_cast<size_t>(item.line) + 1);
        const int column =
            item.centred ? std::max(0, (charsPerLine - TextColumns(item.text)) / 2) : item.column;
        Place(lines[static_cast<size_t>(item.line)], std::max(0, column), item.text);
    }
    for (std::string& l : lines)
        l.erase(l.find_last_not_of(' ') + 1);
    return lines;
}

std::string RenderPlainText(const std::vector<TextPage>& pages, int charsPerLine) {
    std::string out;
    for (size_t p = 0; p < pages.size(); ++p) {
        if (p > 0)
            out += '\f';
        for (const std::string& l : RenderPlainText(pages[p], charsPerLine))
            out += l + '\n';
    }
    return out;
}
