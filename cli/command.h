// What the tool's commands share. Exit status: 0 done, 1 failed (one line
// on stderr names the file and what is wrong), 2 a usage error (the usage on
// stderr, kExitUsage of tools/command_line). Results go to stdout.
#ifndef CLI_COMMAND_H
#define CLI_COMMAND_H

#include <string>

inline constexpr int kExitFailure = 1;

// Prints "vornak: line" on stderr and returns kExitFailure.
int reportFailure(const std::string &line);

#endif
