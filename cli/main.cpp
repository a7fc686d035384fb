// vornak: sprite files and sprite libraries on the command line.
#include "cli/command.h"
#include "cli/map_commands.h"
#include "cli/sprite_commands.h"
#include "tools/command_line/command_line.h"

#include <exception>

int main(int argc, char **argv) {
    CLI::App app;
    describeProgram(app, "vornak",
                    "Lists, checks, takes apart and puts together sprite files and sprite libraries; describes and "
                    "draws maps.");
    app.require_subcommand(1);
    int status = 0;
    addSpriteCommands(app, status);
    addMapCommands(app, status);
    try {
        // On misuse the usage is the command's own, once one was named.
        if (int exit = parseCommandLine(app, argc, argv); exit >= 0)
            return exit;
    } catch (const std::exception &failure) {
        return reportFailure(failure.what());
    }
    return status;
}
