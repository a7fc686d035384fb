#include "tools/command_line/command_line.h"

#include <iostream>

std::string versionLine(const std::string &programName) {
    return programName + " " ISO_VERSION;
}

void describeProgram(CLI::App &app, const std::string &name, const std::string &description) {
    app.name(name);
    app.description(description);
    app.set_version_flag("--version", versionLine(name), "Print the version and exit");
    // CLI11 takes /name for an option on Windows; here it is a path, as anywhere.
    app.allow_windows_style_options(false);
}

int parseCommandLine(CLI::App &app, int argc, char **argv) {
    try {
        app.parse(argc, argv);
    } catch (const CLI::Success &done) {  // --help, --version
        return app.exit(done);
    } catch (const CLI::ParseError &misuse) {
        // What was not understood first: CLI11 checks for missing arguments
        // before it looks at unknown ones.
        const std::vector<std::string> unknown = app.remaining(true);
        const std::string fault = unknown.empty() ? misuse.what() : CLI::ExtrasError(unknown).what();
        std::cerr << app.get_name() << ": " << fault << "\n\n" << app.help();
        return kExitUsage;
    }
    return -1;
}
