// The sprite commands: list, show, export, pack and check, over sprite files
// and sprite library files.
#ifndef CLI_SPRITE_COMMANDS_H
#define CLI_SPRITE_COMMANDS_H

#include <CLI/CLI.hpp>

#include <string>

// The commands set status when they run.
void addSpriteCommands(CLI::App &app, int &status);

// Each returns the exit status.
int exportCommand(const std::string &file, const std::string &dir, bool singleSprite);
int packCommand(const std::string &dir, const std::string &out);

#endif
