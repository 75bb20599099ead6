// The options of the huddlepod-backend program.
#include "backend/CommandLine.h"

#include <charconv>
#include <stdexcept>

namespace huddlepod::backend {

namespace {

template <typename Number>
Number number(const std::string& flag, const std::string& text, Number low, Number high) {
    Number value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < low ||
        value > high) {
        throw std::invalid_argument(flag + " expects a number from " + std::to_string(low) + " to " +
                                    std::to_string(high) + ", not \"" + text + "\"");
    }
    return value;
}

} // namespace

std::string usage() {
    return "Usage: huddlepod-backend [options]\n"
           "Serves a generated demo league over PostgREST on a loopback address and prints its URL and key.\n"
           "\n"
           "  --database PATH    open PATH, or generate the league there when it holds another one\n"
           "                     (without it the league is generated in memory)\n"
           "  --league SIZE      tiny, small or full (default full: seasons 1966-2025 and 2026's schedule)\n"
           "  --seed N           generator seed (default 1)\n"
           "  --host ADDRESS     loopback address to listen on (default 127.0.0.1)\n"
           "  --port N           port to listen on; 0 picks a free one (default 0)\n"
           "  --key KEY          the anon key clients must send (default " +
           std::string(defaultAnonKey) +
           ")\n"
           "  --max-rows N       most rows one read returns (default 1000)\n"
           "  --fault JSON       inject a fault, e.g. '{\"route\":\"players\",\"status\":503,\"times\":1}'\n"
           "                     (repeatable; keys: route, delay_ms, status, body, malformed_rows,\n"
           "                     drop_connection, times); also POST/DELETE /__control/faults at run time\n"
           "  --generate-only    generate the database file and exit\n"
           "  --help             show this text\n"
           "\n"
           "On start it prints HUDDLEPOD_SUPABASE_URL=... and HUDDLEPOD_SUPABASE_ANON_KEY=... lines and "
           "serves\n"
           "until interrupted.\n";
}

CommandLine parseCommandLine(const std::vector<std::string>& arguments) {
    CommandLine line;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& flag = arguments[i];
        auto value = [&]() -> const std::string& {
            if (i + 1 >= arguments.size()) {
                throw std::invalid_argument(flag + " needs a value");
            }
            return arguments[++i];
        };
        if (flag == "--help" || flag == "-h") {
            line.help = true;
        } else if (flag == "--database") {
            line.database = value();
        } else if (flag == "--league") {
            const std::string& name = value();
            const auto size = leagueSizeFromName(name);
            if (!size) {
                throw std::invalid_argument("--league expects tiny, small or full, not \"" + name + "\"");
            }
            line.league.size = *size;
        } else if (flag == "--seed") {
            line.league.seed = number<std::uint64_t>(flag, value(), 0, UINT64_MAX);
        } else if (flag == "--host") {
            line.server.host = value();
            if (!isLoopbackHost(line.server.host)) {
                throw std::invalid_argument("--host must be a loopback address, not \"" + line.server.host +
                                            "\"");
            }
        } else if (flag == "--port") {
            line.server.port = number<int>(flag, value(), 0, 65535);
        } else if (flag == "--key") {
            line.server.anonKey = value();
            if (line.server.anonKey.empty()) {
                throw std::invalid_argument("--key must not be empty");
            }
        } else if (flag == "--max-rows") {
            line.server.maxRows = number<std::int64_t>(flag, value(), 1, 1000000);
        } else if (flag == "--fault") {
            const auto json = nlohmann::json::parse(value(), nullptr, false);
            if (json.is_discarded()) {
                throw std::invalid_argument("--fault expects JSON");
            }
            for (auto& rule : faultRulesFromJson(json)) {
                line.server.faults.push_back(std::move(rule));
            }
        } else if (flag == "--generate-only") {
            line.generateOnly = true;
        } else {
            throw std::invalid_argument("unknown option \"" + flag + "\"");
        }
    }
    if (line.generateOnly && !line.database) {
        throw std::invalid_argument("--generate-only needs --database");
    }
    return line;
}

} // namespace huddlepod::backend
