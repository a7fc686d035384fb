// Sprite names as text. A name is up to 255 bytes of any value but 0; it is
// not necessarily UTF-8.
#ifndef CLI_TEXT_H
#define CLI_TEXT_H

#include <nlohmann/json.hpp>

#include <string>

bool isUtf8(const std::string &text);

// The name in double quotes, with quotes, backslashes, control bytes and
// bytes that are not UTF-8 written as escapes (\", \\, \xNN).
std::string quotedName(const std::string &name);

// JSON carries a name as "name" when it is UTF-8, otherwise as "nameBytes",
// its bytes in hexadecimal.
void putName(nlohmann::ordered_json &object, const std::string &name);

std::string toHex(const std::string &bytes);
bool fromHex(const std::string &hex, std::string &bytes);

#endif
