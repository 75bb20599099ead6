// A request the server refuses, carried to the HTTP layer as a PostgREST-style JSON error.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>

namespace huddlepod::backend {

class ApiError : public std::runtime_error {
public:
    ApiError(int status, std::string code, std::string message,
             std::optional<std::string> details = std::nullopt,
             std::optional<std::string> hint = std::nullopt)
        : std::runtime_error(message)
        , status(status)
        , code(std::move(code))
        , message(std::move(message))
        , details(std::move(details))
        , hint(std::move(hint)) {}

    // {"code": ..., "details": ..., "hint": ..., "message": ...}
    std::string body() const;

    int status;
    std::string code;
    std::string message;
    std::optional<std::string> details;
    std::optional<std::string> hint;
};

// A malformed query parameter: PostgREST's parse error.
inline ApiError parseError(const std::string& what, const std::string& details) {
    return ApiError(400, "PGRST100", "\"failed to parse " + what + "\"", details);
}

} // namespace huddlepod::backend
