// The parsed form of a PostgREST table read: select list, filters, order and limit.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace huddlepod::backend {

struct SelectItem {
    enum class Kind { Star, Column, Embed };
    Kind kind = Kind::Column;
    std::string alias; // empty: the output key is `name`
    std::string name;  // column or related table
    std::string hint;  // foreign-key name or column after "!", empty when none
    bool inner = false;
    std::vector<SelectItem> children; // the embed's own select list

    const std::string& key() const { return alias.empty() ? name : alias; }
};

struct Filter {
    std::string column;
    bool negated = false;
    std::string op;                  // eq, neq, gt, gte, lt, lte, is, in
    std::vector<std::string> values; // one value, or the members of an `in` list
};

struct Condition {
    enum class Kind { Leaf, And, Or };
    Kind kind = Kind::Leaf;
    bool negated = false;
    Filter filter;                   // Leaf
    std::vector<Condition> children; // And, Or
};

// A condition on the table itself (empty path) or on an embedded resource ("games", "a.b").
struct PathCondition {
    std::vector<std::string> path;
    Condition condition;
};

struct OrderTerm {
    std::string relation; // empty for an own column; else the embedded resource of "relation(column)"
    std::string column;
    bool descending = false;
    std::optional<bool> nullsFirst; // PostgreSQL's default when absent: last for asc, first for desc
};

struct ReadQuery {
    std::vector<SelectItem> select; // empty means "*"
    std::vector<PathCondition> conditions;
    std::vector<OrderTerm> order;
    std::optional<std::int64_t> limit;
};

using QueryParameters = std::vector<std::pair<std::string, std::string>>;

// Throws ApiError (400) for anything it cannot read.
ReadQuery parseReadQuery(const QueryParameters& parameters);

std::vector<SelectItem> parseSelect(const std::string& text);
std::vector<OrderTerm> parseOrder(const std::string& text);
Condition parseFilterValue(const std::string& column, const std::string& value);
Condition parseLogic(bool isOr, bool negated, const std::string& value);

} // namespace huddlepod::backend
