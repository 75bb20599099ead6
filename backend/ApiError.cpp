// A request the server refuses, as a PostgREST-style JSON error.
#include "backend/ApiError.h"

#include <nlohmann/json.hpp>

namespace huddlepod::backend {

std::string ApiError::body() const {
    nlohmann::ordered_json json;
    json["code"] = code;
    json["details"] = details ? nlohmann::ordered_json(*details) : nlohmann::ordered_json(nullptr);
    json["hint"] = hint ? nlohmann::ordered_json(*hint) : nlohmann::ordered_json(nullptr);
    json["message"] = message;
    return json.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

} // namespace huddlepod::backend
