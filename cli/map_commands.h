// The map commands: map info, render, to-tmx and from-tmx.
#ifndef CLI_MAP_COMMANDS_H
#define CLI_MAP_COMMANDS_H

#include <CLI/CLI.hpp>

// The commands set status when they run.
void addMapCommands(CLI::App &app, int &status);

#endif
