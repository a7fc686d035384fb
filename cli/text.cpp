#include "cli/text.h"

#include <cstdio>

namespace {

// Length of the UTF-8 sequence that starts at text[i], or 0 when none does:
// no overlong forms, no surrogates, nothing past U+10FFFF.
size_t sequenceLength(const std::string &text, size_t i) {
    const auto at = [&](size_t k) { return k < text.size() ? uint8_t(text[k]) : uint8_t(0); };
    const uint8_t lead = at(i);
    const auto follows = [&](size_t k, uint8_t low, uint8_t high) { return at(k) >= low && at(k) <= high; };
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        return follows(i + 1, 0x80, 0xBF) ? 2 : 0;
    if (lead >= 0xE0 && lead <= 0xEF) {
        const uint8_t low = lead == 0xE0 ? 0xA0 : 0x80, high = lead == 0xED ? 0x9F : 0xBF;
        return follows(i + 1, low, high) && follows(i + 2, 0x80, 0xBF) ? 3 : 0;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        const uint8_t low = lead == 0xF0 ? 0x90 : 0x80, high = lead == 0xF4 ? 0x8F : 0xBF;
        return follows(i + 1, low, high) && follows(i + 2, 0x80, 0xBF) && follows(i + 3, 0x80, 0xBF) ? 4 : 0;
    }
    return 0;
}

}  // namespace

bool isUtf8(const std::string &text) {
    for (size_t i = 0; i < text.size();) {
        const size_t length = sequenceLength(text, i);
        if (length == 0)
            return false;
        i += length;
    }
    return true;
}

std::string quotedName(const std::string &name) {
    std::string out = "\"";
    for (size_t i = 0; i < name.size();) {
        const uint8_t c = uint8_t(name[i]);
        const size_t length = sequenceLength(name, i);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (length == 0 || c < 0x20 || c == 0x7F) {
            char escape[5];
            std::snprintf(escape, sizeof escape, "\\x%02X", c);
            out += escape;
        } else {
            out.append(name, i, length);
            i += length;
            continue;
        }
        ++i;
    }
    return out + "\"";
}

std::string toHex(const std::string &bytes) {
    static const char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (const char c : bytes) {
        hex += kDigits[uint8_t(c) >> 4];
        hex += kDigits[uint8_t(c) & 15];
    }
    return hex;
}

bool fromHex(const std::string &hex, std::string &bytes) {
    const auto digit = [](char c) {
        return c >= '0' && c <= '9'   ? c - '0'
               : c >= 'a' && c <= 'f' ? c - 'a' + 10
               : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                      : -1;
    };
    if (hex.size() % 2)
        return false;
    bytes.clear();
    for (size_t i = 0; i < hex.size(); i += 2) {
        const int high = digit(hex[i]), low = digit(hex[i + 1]);
        if (high < 0 || low < 0)
            return false;
        bytes += char(high << 4 | low);
    }
    return true;
}

void putName(nlohmann::ordered_json &object, const std::string &name) {
    if (isUtf8(name))
        object["name"] = name;
    else
        object["nameBytes"] = toHex(name);
}
