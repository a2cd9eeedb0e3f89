// JSON text: a string literal for writers, and a small reader for the files users hand in.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A JSON string literal of UTF-8 text.
std::string JsonString(const std::string& text);
// The shortest number text that reads back as exactly `value`; null for NaN and infinity.
std::string JsonNumber(double value);

struct JsonMember;

struct JsonValue {
    enum class Kind { Null, Bool, Number, String, Array, Object };
    Kind kind = Kind::Null;
    bool boolean = false;
    double number = 0;
    std::string text;                // a string, as UTF-8; a number's digits as written
    std::vector<JsonValue> items;    // an array
    std::vector<JsonMember> members; // an object, in order

    // The member named `key` of an object; null when there is none or this is no object.
    const JsonValue* Find(std::string_view key) const;
};

struct JsonMember {
    std::string name;
    JsonValue value;
};

// The whole text as one value. Nesting deeper than 32 and text after the value are refused; on
// failure `line` is where the reader stopped (1-based).
std::optional<JsonValue> ParseJson(std::string_view text, int& line);
