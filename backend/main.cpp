// huddlepod-backend: serves the generated demo league on a loopback address until interrupted.
#include "backend/BackendServer.h"
#include "backend/CommandLine.h"
#include "backend/LeagueDatabase.h"

#include <csignal>
#include <cstdio>
#include <iostream>

using namespace huddlepod::backend;

int main(int argc, char** argv) {
    CommandLine line;
    try {
        line = parseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::exception& error) {
        std::cerr << "huddlepod-backend: " << error.what() << "\n\n" << usage();
        return 2;
    }
    if (line.help) {
        std::cout << usage();
        return 0;
    }

    // Block the stop signals before any thread starts, so only sigwait below receives them.
    // A shell starts background jobs with SIGINT ignored; restore the defaults so Ctrl+C reaches sigwait.
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    try {
        std::shared_ptr<LeagueDatabase> database =
            line.database ? LeagueDatabase::openOrGenerate(*line.database, line.league)
                          : LeagueDatabase::generate(line.league);
        if (line.generateOnly) {
            std::cerr << "huddlepod-backend: " << *line.database << " holds the "
                      << leagueSizeName(line.league.size) << " league (seed " << line.league.seed << ")\n";
            return 0;
        }
        BackendServer server(database, line.server);
        std::cout << "HUDDLEPOD_SUPABASE_URL=" << server.baseUrl() << "\n"
                  << "HUDDLEPOD_SUPABASE_ANON_KEY=" << server.anonKey() << std::endl;
        std::cerr << "huddlepod-backend: serving the " << database->meta("league").value_or("?")
                  << " league (seed " << database->meta("seed").value_or("?") << ") at " << server.baseUrl()
                  << "\n";
        int received = 0;
        sigwait(&signals, &received);
        server.stop();
    } catch (const std::exception& error) {
        std::cerr << "huddlepod-backend: " << error.what() << "\n";
        return 1;
    }
    return 0;
}
