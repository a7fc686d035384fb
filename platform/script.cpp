// Parsing of the headless presenter's input scripts (format: script.h).
#include "platform/script.h"

#include "platform/win32.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <sstream>

namespace standin {
namespace {

bool parseNumber(const std::string &word, double *value) {
    if (word.empty())
        return false;
    const char *start = word.c_str();
    char *end = nullptr;
    errno = 0;
    if (word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X')) {
        unsigned long long number = std::strtoull(start, &end, 16);
        *value = (double)number;
    } else {
        *value = std::strtod(start, &end);
    }
    return errno == 0 && end && *end == '\0' && std::isfinite(*value);
}

bool parseCount(const std::string &word, double limit, uint32_t *count) {
    double value = 0;
    if (!parseNumber(word, &value) || value < 0 || value > limit || std::floor(value) != value)
        return false;
    *count = uint32_t(value);
    return true;
}

bool parseKey(const std::string &word, uint32_t *value) {
    static const struct {
        const char *name;
        int code;
    } names[] = {{"escape", VK_ESCAPE}, {"return", VK_RETURN}, {"space", VK_SPACE}, {"back", VK_BACK}, {"tab", VK_TAB},
                 {"left", VK_LEFT},     {"up", VK_UP},         {"right", VK_RIGHT}, {"down", VK_DOWN}};
    for (const auto &entry : names)
        if (word == entry.name) {
            *value = uint32_t(entry.code);
            return true;
        }
    if (word.size() == 1 && std::isalnum((unsigned char)word[0])) {
        *value = uint32_t(std::toupper((unsigned char)word[0]));
        return true;
    }
    return parseCount(word, 0xFF, value);
}

}  // namespace

bool parseScript(const std::string &text, std::vector<ScriptCommand> *commands, std::string *error) {
    commands->clear();
    std::istringstream lines(text);
    std::string line;
    int number = 0;
    while (std::getline(lines, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        std::istringstream words(line);
        std::string name;
        if (!(words >> name) || name[0] == '#')
            continue;
        std::vector<std::string> args;
        std::string word;
        while (words >> word)
            args.push_back(word);

        ScriptCommand command;
        bool ok = false;
        uint32_t x = 0, y = 0;
        if (name == "frames") {
            command.kind = ScriptCommand::Frames;
            ok = args.size() == 1 && parseCount(args[0], 1e9, &command.frames);
        } else if (name == "seconds") {
            command.kind = ScriptCommand::Seconds;
            ok = args.size() == 1 && parseNumber(args[0], &command.seconds) && command.seconds >= 0 &&
                 command.seconds <= 86400;
        } else if (name == "move") {
            command.kind = ScriptCommand::Move;
            ok = args.size() == 2 && parseCount(args[0], 0x7FFF, &x) && parseCount(args[1], 0x7FFF, &y);
            command.x = int32_t(x);
            command.y = int32_t(y);
        } else if (name == "ldown" || name == "lup" || name == "close") {
            command.kind = name == "ldown" ? ScriptCommand::LeftDown
                           : name == "lup" ? ScriptCommand::LeftUp
                                           : ScriptCommand::Close;
            ok = args.empty();
        } else if (name == "key") {
            command.kind = ScriptCommand::Key;
            ok = args.size() == 1 && parseKey(args[0], &command.key);
        } else if (name == "shot") {
            command.kind = ScriptCommand::Shot;
            size_t start = line.find("shot") + 4;
            size_t first = line.find_first_not_of(" \t", start);
            size_t last = line.find_last_not_of(" \t");
            ok = first != std::string::npos;
            if (ok)
                command.path = line.substr(first, last - first + 1);
        } else if (name == "burst") {
            command.kind = ScriptCommand::Burst;
            ok = args.size() == 1 && parseCount(args[0], 10000, &command.burst) && command.burst >= 1;
        }
        if (!ok) {
            *error = "script line " + std::to_string(number) + ": cannot read \"" + line + "\"";
            return false;
        }
        commands->push_back(command);
    }
    return true;
}

}  // namespace standin
