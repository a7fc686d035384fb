// Writes the sample world below a directory: <dir>/sprites/test.lspr
// through the module's SaveSpriteLibrary, and <dir>/maps/test.map.
#ifndef TOOLS_WORLD_FILES_H
#define TOOLS_WORLD_FILES_H

#include <string>

namespace world {

// False when a directory or a file could not be made.
bool writeWorld(const std::string &dir);

}  // namespace world

#endif
