// vornak: sprite files and sprite libraries on the command line.
#include "cli/command.h"
#include "cli/sprite_commands.h"

#include <CLI/CLI.hpp>

#include <exception>
#include <iostream>

int main(int argc, char **argv) {
    CLI::App app("Lists, checks, takes apart and puts together sprite files and sprite libraries.", "vornak");
    app.set_version_flag("--version", "vornak " VORNAK_VERSION, "Print the version and exit");
    app.require_subcommand(1);
    int status = 0;
    addSpriteCommands(app, status);
    try {
        app.parse(argc, argv);
    } catch (const CLI::Success &done) {  // --help, --version
        return app.exit(done);
    } catch (const CLI::ParseError &misuse) {
        std::cerr << "vornak: " << misuse.what() << "\n\n" << app.help();  // the command's own, once one was named
        return kExitUsage;
    } catch (const std::exception &failure) {
        return reportFailure(failure.what());
    }
    return status;
}
