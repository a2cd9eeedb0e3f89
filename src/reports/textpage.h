// Pages of positioned text: what the tables and the printed header block lay out, before anyone
// chooses a font. A printer draws each item with its role's font; the plain-text renderer puts it
// into a character grid.
#pragma once

#include <string>
#include <vector>

enum class FontRole { Title, Subtitle, Body };

struct TextItem {
    FontRole role = FontRole::Body;
    int column = 0;       // character column of the body font; ignored when centred
    int line = 0;         // body line
    bool centred = false; // centred on the page, letter-spaced by the role's character width
    std::string text;     // UTF-8
};

struct TextPage {
    std::vector<TextItem> items;
};

// "HH:MM" of a local time in seconds from midnight; hours wrap at 24.
std::string ClockText(int seconds);

// Number of characters (UTF-8 code points) in a text.
int TextColumns(const std::string& text);

// One page as plain text lines: items placed at their column and line, centred items centred on a
// width of `charsPerLine`; trailing blanks removed.
std::vector<std::string> RenderPlainText(const TextPage& page, int charsPerLine);

// Pages joined by form feeds, each line ended by a newline.
std::string RenderPlainText(const std::vector<TextPage>& pages, int charsPerLine);
