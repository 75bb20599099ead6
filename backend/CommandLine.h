// The options of the huddlepod-backend program.
#pragma once

#include "backend/BackendServer.h"
#include "backend/LeagueShape.h"

#include <optional>
#include <string>
#include <vector>

namespace huddlepod::backend {

struct CommandLine {
    std::optional<std::string> database; // file to open, or to generate when it holds another league
    GeneratorOptions league;
    BackendServer::Options server;
    bool generateOnly = false;
    bool help = false;
};

// Throws std::invalid_argument with a message for the user.
CommandLine parseCommandLine(const std::vector<std::string>& arguments);
std::string usage();

} // namespace huddlepod::backend
