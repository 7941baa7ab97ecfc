#pragma once

#include <QString>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>

namespace rovana::json {

// A JSON string literal of UTF-16 text, written as UTF-8.
inline std::string Quote(const QString& text)
{
    std::string out = "\"";
    for (char c : text.toStdString()) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned char>(c));
                out += buf;
            } else {
                out += c;
            }
        }
    }
    return out + "\"";
}

// The shortest decimal that reads back as exactly this single-precision value.
// JSON has no infinities or NaN; those are written as null.
inline std::string Number(float value)
{
    if (!std::isfinite(value))
        return "null";
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, r.ptr);
}

inline std::string Number(std::int64_t value)
{
    return std::to_string(value);
}

inline std::string Number(int value)
{
    return std::to_string(value);
}

// "[a, b, c]" from any range of numbers.
template <typename Range> std::string Array(const Range& values)
{
    std::string out = "[";
    bool first = true;
    for (const auto& v : values) {
        if (!first)
            out += ",";
        first = false;
        out += Number(v);
    }
    return out + "]";
}

} // namespace rovana::json
