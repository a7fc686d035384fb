// Input scripts for the headless presenter (STANDIN_SCRIPT, standin::setScript).
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
#ifndef PLATFORM_SCRIPT_H
#define PLATFORM_SCRIPT_H

#include <cstdint>
#include <string>
#include <vector>

namespace standin {

// One line of a script; only the fields of its kind are set.
struct ScriptCommand {
    enum Kind { Frames, Seconds, Move, LeftDown, LeftUp, Key, Close, Shot, Burst };
    Kind kind = Close;
    uint32_t frames = 0;  // Frames
    double seconds = 0;   // Seconds
    int32_t x = 0;        // Move
    int32_t y = 0;        // Move
    uint32_t key = 0;     // Key: the virtual-key code
    uint32_t burst = 0;   // Burst: input commands that arrive together
    std::string path;     // Shot
};

// Parses a whole script. On a bad line returns false with a message naming
// the line; commands then holds the lines before it.
bool parseScript(const std::string &text, std::vector<ScriptCommand> *commands, std::string *error);

}  // namespace standin

#endif
