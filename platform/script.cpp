// Input scripts for the headless presenter.
//
// One command per line; blank lines and lines starting with '#' are skipped.
// Numbers are decimal unless written 0x...; coordinates are in the presented
// picture (640x480 for the client).
//
//   frames N     wait until N more frames have been presented
//   seconds S    wait until S seconds (may be fractional) have passed
//   move X Y     WM_MOUSEMOVE at (X, Y)
//   ldown        WM_LBUTTONDOWN at the last mouse position
//   lup          WM_LBUTTONUP at the last mouse position
//   key K        WM_KEYDOWN with virtual key K: a number, one letter or digit,
//                or one of escape return space back tab left up right down
//   close        WM_CLOSE, as when the user closes the window
//   shot PATH    save the last presented frame as PNG (rest of the line)
//   burst N      the next N input commands arrive at once
//
// Pacing: the commands are taken as the program asks for messages
// (PeekMessageA, GetMessageA). An input command arrives only once a frame has
// been presented since the previous one arrived, so a program that handles
// one message per frame sees one per pass; a burst arrives whole in one pass.
// Mouse moves that arrive together merge into the last, as on Windows.
// When the script ends the program runs on without input. A script that
// cannot be read or parsed is reported on stderr and the window gets WM_CLOSE.
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

bool parseCount(const std::string &word, double limit, double *value) {
    return parseNumber(word, value) && *value >= 0 && *value <= limit && std::floor(*value) == *value;
}

bool parseKey(const std::string &word, double *value) {
    static const struct {
        const char *name;
        int code;
    } names[] = {{"escape", VK_ESCAPE}, {"return", VK_RETURN}, {"space", VK_SPACE}, {"back", VK_BACK}, {"tab", VK_TAB},
                 {"left", VK_LEFT},     {"up", VK_UP},         {"right", VK_RIGHT}, {"down", VK_DOWN}};
    for (const auto &entry : names)
        if (word == entry.name) {
            *value = entry.code;
            return true;
        }
    if (word.size() == 1 && std::isalnum((unsigned char)word[0])) {
        *value = std::toupper((unsigned char)word[0]);
        return true;
    }
    return parseCount(word, 0xFF, value);
}

}  // namespace

bool isInputCommand(const ScriptCommand &command) {
    switch (command.kind) {
    case ScriptCommand::Move:
    case ScriptCommand::LeftDown:
    case ScriptCommand::LeftUp:
    case ScriptCommand::Key:
    case ScriptCommand::Close: return true;
    default: return false;
    }
}

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

        ScriptCommand command = {ScriptCommand::Close, 0, 0, std::string()};
        bool ok = false;
        double x = 0, y = 0;
        if (name == "frames") {
            command.kind = ScriptCommand::Frames;
            ok = args.size() == 1 && parseCount(args[0], 1e9, &command.amount);
        } else if (name == "seconds") {
            command.kind = ScriptCommand::Seconds;
            ok = args.size() == 1 && parseNumber(args[0], &command.amount) && command.amount >= 0 &&
                 command.amount <= 86400;
        } else if (name == "move") {
            command.kind = ScriptCommand::Move;
            ok = args.size() == 2 && parseCount(args[0], 0x7FFF, &x) && parseCount(args[1], 0x7FFF, &y);
            command.amount = x;
            command.y = (int)y;
        } else if (name == "ldown" || name == "lup" || name == "close") {
            command.kind = name == "ldown" ? ScriptCommand::LeftDown
                           : name == "lup" ? ScriptCommand::LeftUp
                                           : ScriptCommand::Close;
            ok = args.empty();
        } else if (name == "key") {
            command.kind = ScriptCommand::Key;
            ok = args.size() == 1 && parseKey(args[0], &command.amount);
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
            ok = args.size() == 1 && parseCount(args[0], 10000, &command.amount) && command.amount >= 1;
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
