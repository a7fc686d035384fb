// The headless presenter's input script: parsing (format in script.cpp).
#ifndef PLATFORM_SCRIPT_H
#define PLATFORM_SCRIPT_H

#include <string>
#include <vector>

namespace standin {

struct ScriptCommand {
    enum Kind { Frames, Seconds, Move, LeftDown, LeftUp, Key, Close, Shot, Burst };
    Kind kind;
    double amount;     // frames, seconds, burst size, key code, or x
    int y;             // move
    std::string path;  // shot
};

// Parses a whole script. On a bad line returns false with a message naming
// the line; commands then holds the lines before it.
bool parseScript(const std::string &text, std::vector<ScriptCommand> *commands, std::string *error);

// True for the commands that deliver a message.
bool isInputCommand(const ScriptCommand &command);

}  // namespace standin

#endif
