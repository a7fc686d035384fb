// The command line of the project's programs, on CLI11. Every program answers
// --help and --version on stdout with exit code 0. Misuse (an unknown option,
// a missing or extra argument) prints one line naming the program and the
// fault, then the usage, on stderr, with exit code kExitUsage. An argument
// that starts with '-' is never taken as a path; "--" ends the options.
#ifndef TOOLS_COMMAND_LINE_COMMAND_LINE_H
#define TOOLS_COMMAND_LINE_COMMAND_LINE_H

#include <CLI/CLI.hpp>

constexpr int kExitUsage = 2;

// "NAME VERSION", the project's version as the build knows it.
std::string versionLine(const std::string &programName);

// A program's command line: its name and description, with --help and
// --version.
void describeProgram(CLI::App &app, const std::string &name, const std::string &description);

// Parses argv. Returns -1 when the program goes on; otherwise the exit code
// to end with now, the help, version or usage already printed.
int parseCommandLine(CLI::App &app, int argc, char **argv);

#endif
