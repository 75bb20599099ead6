// Faults a test can ask the server to inject per route.
#include "backend/FaultInjector.h"

#include <stdexcept>

namespace huddlepod::backend {

FaultRule faultRuleFromJson(const nlohmann::json& json) {
    if (!json.is_object()) {
        throw std::invalid_argument("a fault rule is a JSON object");
    }
    FaultRule rule;
    for (const auto& [key, value] : json.items()) {
        if (key == "route" && value.is_string()) {
            rule.route = value.get<std::string>();
        } else if (key == "delay_ms" && value.is_number_integer() && value.get<long long>() >= 0 &&
                   value.get<long long>() <= 600000) {
            rule.delay = std::chrono::milliseconds(value.get<long long>());
        } else if (key == "status" && value.is_number_integer() && value.get<int>() >= 100 &&
                   value.get<int>() <= 599) {
            rule.status = value.get<int>();
        } else if (key == "body" && value.is_string()) {
            rule.body = value.get<std::string>();
        } else if (key == "malformed_rows" && value.is_boolean()) {
            rule.malformedRows = value.get<bool>();
        } else if (key == "drop_connection" && value.is_boolean()) {
            rule.dropConnection = value.get<bool>();
        } else if (key == "times" && value.is_number_integer() && value.get<long long>() >= -1 &&
                   value.get<long long>() <= 1000000) {
            rule.times = value.get<int>();
        } else {
            throw std::invalid_argument("fault rule: unexpected \"" + key + "\" or value of the wrong type");
        }
    }
    if (rule.body && !rule.status) {
        throw std::invalid_argument("fault rule: \"body\" needs \"status\"");
    }
    return rule;
}

std::vector<FaultRule> faultRulesFromJson(const nlohmann::json& json) {
    std::vector<FaultRule> rules;
    if (json.is_array()) {
        for (const auto& item : json) {
            rules.push_back(faultRuleFromJson(item));
        }
    } else {
        rules.push_back(faultRuleFromJson(json));
    }
    return rules;
}

void FaultInjector::set(std::vector<FaultRule> rules) {
    std::lock_guard lock(mutex_);
    rules_ = std::move(rules);
}

void FaultInjector::add(FaultRule rule) {
    std::lock_guard lock(mutex_);
    rules_.push_back(std::move(rule));
}

void FaultInjector::clear() {
    std::lock_guard lock(mutex_);
    rules_.clear();
}

std::vector<FaultRule> FaultInjector::rules() const {
    std::lock_guard lock(mutex_);
    return rules_;
}

std::optional<FaultRule> FaultInjector::take(const std::string& route) {
    std::lock_guard lock(mutex_);
    for (auto it = rules_.begin(); it != rules_.end(); ++it) {
        if ((it->route == "*" || it->route == route) && it->times != 0) {
            FaultRule rule = *it;
            if (it->times > 0 && --it->times == 0) {
                rules_.erase(it);
            }
            return rule;
        }
    }
    return std::nullopt;
}

std::string malformRows(const std::string& body) {
    nlohmann::json rows = nlohmann::json::parse(body, nullptr, false);
    if (!rows.is_array() || rows.empty()) {
        return "[null]";
    }
    for (auto& row : rows) {
        if (!row.is_object()) {
            row = "malformed";
            continue;
        }
        for (auto& [key, value] : row.items()) {
            if (value.is_string()) {
                value = 12345;
            } else if (value.is_number()) {
                value = "12345";
            } else if (value.is_boolean()) {
                value = "yes";
            } else if (value.is_null()) {
                value = "malformed";
            } else {
                value = 42;
            }
        }
    }
    return rows.dump();
}

} // namespace huddlepod::backend
