#include "cli/command.h"

#include <iostream>

int reportFailure(const std::string &line) {
    std::cerr << "vornak: " << line << '\n';
    return kExitFailure;
}
