// Faults a test can ask the server to inject per route: delay, forced status and body, malformed rows,
// dropping.
#pragma once

#include <nlohmann/json.hpp>

#include <chrono>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace huddlepod::backend {

struct FaultRule {
    std::string route = "*"; // "players", "rpc/search_players", ... or "*" for every route under /rest/v1/
    std::chrono::milliseconds delay{0};
    std::optional<int> status;       // answer with this status instead of the real answer
    std::optional<std::string> body; // with `status`; a PostgREST-style error when absent
    bool malformedRows = false;      // every row's values change JSON type (an empty answer becomes [null])
    bool dropConnection = false;     // close the connection without answering
    int times = -1;                  // how many matching requests it applies to; -1 for all

    bool operator==(const FaultRule&) const = default;
};

// {"route": "players", "delay_ms": 200, "status": 503, "body": "...", "malformed_rows": true,
//  "drop_connection": true, "times": 1}; throws std::invalid_argument for anything else.
FaultRule faultRuleFromJson(const nlohmann::json& json);
std::vector<FaultRule> faultRulesFromJson(const nlohmann::json& json); // one rule or an array of rules

class FaultInjector {
public:
    void set(std::vector<FaultRule> rules);
    void add(FaultRule rule);
    void clear();
    std::vector<FaultRule> rules() const;

    // The first rule for this route that still applies; using it counts against its `times`.
    std::optional<FaultRule> take(const std::string& route);

private:
    mutable std::mutex mutex_;
    std::vector<FaultRule> rules_;
};

// The rows of a JSON array answer with every value changed to another JSON type.
std::string malformRows(const std::string& body);

} // namespace huddlepod::backend
