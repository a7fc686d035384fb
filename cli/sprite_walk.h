// Why a sprite file or sprite library file does not load: a walk over the
// file's bytes, in the layout of docs/formats.md, that names the first place
// where they stop making sense. Only the module decides whether a file
// loads; this walk is asked after the module has refused one, or for what
// the module left out of one it loaded.
#ifndef CLI_SPRITE_WALK_H
#define CLI_SPRITE_WALK_H

#include <string>

// One line without the path, e.g. `truncated: frame 3 of sprite 12 ("tower")
// needs 1600 pixel bytes at offset 52311, 212 left`.
std::string explainRefusal(const std::string &path, bool singleSprite);

// What a load of a file that loads leaves out, in one line without the path
// (bytes after the end; names longer than 255 bytes, which keep their first
// 255), or "" when it takes every byte.
std::string leftOut(const std::string &path, bool singleSprite);

#endif
