// Turns a parsed table read into one SQLite statement with PostgREST's semantics.
#include "backend/ReadSql.h"

#include "backend/ApiError.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdlib>
#include <memory>

namespace huddlepod::backend {

namespace {

constexpr std::size_t maxObjectKeys = 60; // SQLite caps a function at 127 arguments

struct Relationship {
    std::string parentColumn; // the join is child.childColumn = parent.parentColumn
    std::string childColumn;
    bool toOne = true;
    std::string constraintName;
};

struct Node {
    const Table* table = nullptr;
    std::string alias; // SQL alias: t0, t1, ...
    std::string name;  // the related table's name as written
    std::string key;   // output key
    Relationship relationship;
    bool inner = false;
    bool hidden = false; // "name()" embeds only filter and are left out of the output

    struct Field {
        std::string key;
        const Column* column = nullptr;
        Node* embed = nullptr;
    };
    std::vector<Field> fields;
    std::vector<std::unique_ptr<Node>> children;
    std::vector<const Condition*> conditions;
};

std::string quoted(const std::string& identifier) {
    return "\"" + identifier + "\"";
}

std::string literal(const std::string& text) {
    std::string result = "'";
    for (char c : text) {
        result.push_back(c);
        if (c == '\'') {
            result.push_back('\'');
        }
    }
    return result + "'";
}

ApiError unknownColumn(const Table& table, const std::string& column) {
    return ApiError(400, "42703", "column " + table.name + "." + column + " does not exist");
}

ApiError invalidInput(ColumnType type, const std::string& text) {
    if (type == ColumnType::Date) {
        return ApiError(400, "22007", "invalid input syntax for type date: \"" + text + "\"");
    }
    return ApiError(400, "22P02",
                    "invalid input syntax for type " + std::string(typeName(type)) + ": \"" + text + "\"");
}

const Column& requireColumn(const Table& table, const std::string& name) {
    const Column* column = table.column(name);
    if (column == nullptr) {
        throw unknownColumn(table, name);
    }
    return *column;
}

Relationship resolveRelationship(const Table& parent, const std::string& name, const std::string& hint) {
    const Table* child = Schema::instance().table(name);
    if (child == nullptr || !child->exposed) {
        throw ApiError(400, "PGRST200",
                       "Could not find a relationship between '" + parent.name + "' and '" + name +
                           "' in the schema cache",
                       std::nullopt);
    }
    std::vector<Relationship> candidates;
    for (const auto& fk : parent.foreignKeys) {
        if (fk.targetTable == name && (hint.empty() || hint == fk.name || hint == fk.column)) {
            candidates.push_back({fk.column, fk.targetColumn, true, fk.name});
        }
    }
    for (const auto& fk : child->foreignKeys) {
        if (fk.targetTable == parent.name && (hint.empty() || hint == fk.name || hint == fk.column)) {
            candidates.push_back({fk.targetColumn, fk.column, false, fk.name});
        }
    }
    if (candidates.empty()) {
        throw ApiError(400, "PGRST200",
                       "Could not find a relationship between '" + parent.name + "' and '" + name +
                           "' in the schema cache",
                       hint.empty()
                           ? std::nullopt
                           : std::optional<std::string>("Searched for the foreign key '" + hint + "'."));
    }
    if (candidates.size() > 1) {
        std::string options;
        for (const auto& candidate : candidates) {
            options += (options.empty() ? "'" : ", '") + name + "!" + candidate.constraintName + "'";
        }
        throw ApiError(400, "PGRST201",
                       "Could not embed because more than one relationship was found for '" + parent.name +
                           "' and '" + name + "'",
                       std::nullopt, "Try changing '" + name + "' to one of the following: " + options + ".");
    }
    return candidates.front();
}

class Builder {
public:
    Builder(const Table& table, const ReadQuery& query)
        : query_(query) {
        root_.table = &table;
        root_.alias = nextAlias();
        addFields(root_, query.select, 0);
        attachConditions();
    }

    ReadSql build(std::int64_t maxRows) {
        ReadSql result;
        std::string select = objectExpression(root_);
        std::vector<std::string> where;
        for (const auto* condition : root_.conditions) {
            where.push_back(conditionSql(*condition, root_));
        }
        for (const auto& child : root_.children) {
            if (child->inner) {
                where.push_back(innerSql(*child, root_));
            }
        }
        std::string order;
        for (const auto& term : query_.order) {
            order += orderSql(term) + ", ";
        }
        order += root_.alias + ".rowid";

        result.sql = "SELECT " + select + " FROM " + quoted(root_.table->name) + " AS " + root_.alias;
        if (!where.empty()) {
            result.sql += " WHERE ";
            for (std::size_t i = 0; i < where.size(); ++i) {
                result.sql += (i ? " AND " : "") + where[i];
            }
        }
        result.sql += " ORDER BY " + order + " LIMIT ?";
        params_.push_back(std::min(query_.limit.value_or(maxRows), maxRows));
        result.parameters = std::move(params_);
        return result;
    }

private:
    std::string nextAlias() { return "t" + std::to_string(aliasCounter_++); }

    static void addField(Node& node, Node::Field field) {
        for (const auto& existing : node.fields) {
            if (existing.key == field.key) {
                return; // one key per object; the first occurrence keeps its place
            }
        }
        if (node.fields.size() >= maxObjectKeys) {
            throw ApiError(400, "PGRST100", "\"failed to parse select parameter\"",
                           "a row object may hold at most " + std::to_string(maxObjectKeys) + " keys");
        }
        node.fields.push_back(std::move(field));
    }

    void addFields(Node& node, const std::vector<SelectItem>& items, int depth) {
        if (items.empty() && depth == 0) {
            for (const auto& column : node.table->columns) {
                addField(node, {column.name, &column, nullptr});
            }
            return;
        }
        for (const auto& item : items) {
            switch (item.kind) {
            case SelectItem::Kind::Star:
                for (const auto& column : node.table->columns) {
                    addField(node, {column.name, &column, nullptr});
                }
                break;
            case SelectItem::Kind::Column:
                addField(node, {item.key(), &requireColumn(*node.table, item.name), nullptr});
                break;
            case SelectItem::Kind::Embed: {
                auto child = std::make_unique<Node>();
                child->relationship = resolveRelationship(*node.table, item.name, item.hint);
                child->table = Schema::instance().table(item.name);
                child->alias = nextAlias();
                child->name = item.name;
                child->key = item.key();
                child->inner = item.inner;
                child->hidden = item.children.empty();
                for (const auto& sibling : node.children) {
                    if (sibling->key == child->key) {
                        throw ApiError(400, "PGRST100", "\"failed to parse select parameter\"",
                                       "the embedded resource '" + child->key +
                                           "' appears twice; give one an alias");
                    }
                }
                addFields(*child, item.children, depth + 1);
                if (!child->hidden) {
                    addField(node, {child->key, nullptr, child.get()});
                }
                node.children.push_back(std::move(child));
                break;
            }
            }
        }
    }

    static Node* findChild(Node& node, const std::string& name) {
        for (auto& child : node.children) {
            if (child->key == name) {
                return child.get();
            }
        }
        for (auto& child : node.children) {
            if (child->name == name) {
                return child.get();
            }
        }
        return nullptr;
    }

    static ApiError notEmbedded(const std::string& name) {
        return ApiError(400, "PGRST108", "'" + name + "' is not an embedded resource in this request",
                        std::nullopt,
                        "Verify that '" + name + "' is included in the 'select' query parameter.");
    }

    void validate(const Condition& condition, const Table& table) {
        if (condition.kind == Condition::Kind::Leaf) {
            requireColumn(table, condition.filter.column);
            return;
        }
        for (const auto& child : condition.children) {
            validate(child, table);
        }
    }

    void attachConditions() {
        for (const auto& pathCondition : query_.conditions) {
            Node* node = &root_;
            for (const auto& step : pathCondition.path) {
                node = findChild(*node, step);
                if (node == nullptr) {
                    throw notEmbedded(step);
                }
            }
            validate(pathCondition.condition, *node->table);
            node->conditions.push_back(&pathCondition.condition);
        }
    }

    static std::string columnValue(const Node& node, const Column& column) {
        const std::string ref = node.alias + "." + quoted(column.name);
        switch (column.type) {
        case ColumnType::Boolean:
            return "json(CASE WHEN " + ref + " IS NULL THEN NULL WHEN " + ref +
                   " THEN 'true' ELSE 'false' END)";
        case ColumnType::Json:
            return "json(" + ref + ")";
        default:
            return ref;
        }
    }

    std::string objectExpression(const Node& node) {
        std::string sql = "json_object(";
        bool first = true;
        for (const auto& field : node.fields) {
            sql += (first ? "" : ", ") + literal(field.key) + ", ";
            first = false;
            sql += field.column ? columnValue(node, *field.column) : embedSql(*field.embed, node);
        }
        return sql + ")";
    }

    static std::string joinSql(const Node& child, const Node& parent) {
        return child.alias + "." + quoted(child.relationship.childColumn) + " = " + parent.alias + "." +
               quoted(child.relationship.parentColumn);
    }

    // The conditions an embedded row must meet besides the join: its filters and its inner embeds.
    std::vector<std::string> ownConditions(const Node& node) {
        std::vector<std::string> parts;
        for (const auto* condition : node.conditions) {
            parts.push_back(conditionSql(*condition, node));
        }
        for (const auto& grandchild : node.children) {
            if (grandchild->inner) {
                parts.push_back(innerSql(*grandchild, node));
            }
        }
        return parts;
    }

    static std::string joined(const std::vector<std::string>& parts) {
        std::string sql;
        for (std::size_t i = 0; i < parts.size(); ++i) {
            sql += (i ? " AND " : "") + parts[i];
        }
        return sql;
    }

    std::string embedWhere(const Node& child, const Node& parent) {
        std::vector<std::string> parts{joinSql(child, parent)};
        for (auto& part : ownConditions(child)) {
            parts.push_back(std::move(part));
        }
        return joined(parts);
    }

    std::string embedSql(const Node& child, const Node& parent) {
        const std::string from = " FROM " + quoted(child.table->name) + " AS " + child.alias;
        const std::string object = objectExpression(child);
        const std::string where = embedWhere(child, parent);
        if (child.relationship.toOne) {
            return "json((SELECT " + object + from + " WHERE " + where + " LIMIT 1))";
        }
        return "json((SELECT json_group_array(json(o)) FROM (SELECT " + object + " AS o" + from + " WHERE " +
               where + " ORDER BY " + child.alias + ".rowid)))";
    }

    // An inner embed keeps a parent row only when at least one related row passes the embed's conditions.
    std::string innerSql(const Node& child, const Node& parent) {
        const auto parts = ownConditions(child);
        std::string sql = parent.alias + "." + quoted(child.relationship.parentColumn) + " IN (SELECT " +
                          child.alias + "." + quoted(child.relationship.childColumn) + " FROM " +
                          quoted(child.table->name) + " AS " + child.alias;
        if (!parts.empty()) {
            sql += " WHERE " + joined(parts);
        }
        return sql + ")";
    }

    std::string param(SqlValue value) {
        params_.push_back(std::move(value));
        return "?";
    }

    std::string leafSql(const Filter& filter, const Node& node) {
        const Column& column = requireColumn(*node.table, filter.column);
        const std::string ref = node.alias + "." + quoted(column.name);
        const std::string& op = filter.op;
        if (op == "is") {
            const std::string value = filter.values.front();
            std::string lower = value;
            std::transform(lower.begin(), lower.end(), lower.begin(),
                           [](unsigned char c) { return std::tolower(c); });
            if (lower == "null") {
                return ref + " IS NULL";
            }
            if (lower == "not_null") {
                return ref + " IS NOT NULL";
            }
            if (lower == "true" || lower == "false" || lower == "unknown") {
                if (column.type != ColumnType::Boolean) {
                    throw ApiError(400, "42804",
                                   "argument of IS " + value + " must be type boolean, not type " +
                                       std::string(typeName(column.type)));
                }
                return ref + (lower == "unknown" ? " IS NULL" : lower == "true" ? " IS 1" : " IS 0");
            }
            throw parseError("filter (" + filter.column + "=is." + value + ")",
                             "\"is\" takes null, not_null, true, false or unknown");
        }
        if (column.type == ColumnType::Json) {
            throw ApiError(400, "42883", "operator does not exist: jsonb " + op + " unknown", std::nullopt,
                           "Filter a JSON column only with \"is\".");
        }
        if (op == "in") {
            if (filter.values.empty()) {
                return "0";
            }
            std::string list;
            for (const auto& value : filter.values) {
                list += (list.empty() ? "" : ", ") + param(coerceFilterValue(*node.table, column, value));
            }
            return ref + " IN (" + list + ")";
        }
        static const std::vector<std::pair<std::string, std::string>> comparisons = {
            {"eq", " = "}, {"neq", " <> "}, {"gt", " > "}, {"gte", " >= "}, {"lt", " < "}, {"lte", " <= "}};
        for (const auto& [name, sqlOp] : comparisons) {
            if (op == name) {
                return ref + sqlOp + param(coerceFilterValue(*node.table, column, filter.values.front()));
            }
        }
        throw parseError("filter (" + filter.column + ")", "unknown operator \"" + op + "\"");
    }

    std::string conditionSql(const Condition& condition, const Node& node) {
        std::string sql;
        if (condition.kind == Condition::Kind::Leaf) {
            sql = leafSql(condition.filter, node);
            return condition.filter.negated ? "NOT (" + sql + ")" : "(" + sql + ")";
        }
        const std::string separator = condition.kind == Condition::Kind::And ? " AND " : " OR ";
        for (std::size_t i = 0; i < condition.children.size(); ++i) {
            sql += (i ? separator : "") + conditionSql(condition.children[i], node);
        }
        if (sql.empty()) {
            sql = condition.kind == Condition::Kind::And ? "1" : "0";
        }
        return (condition.negated ? "NOT (" : "(") + sql + ")";
    }

    std::string orderSql(const OrderTerm& term) {
        std::string expression;
        if (term.relation.empty()) {
            expression = root_.alias + "." + quoted(requireColumn(*root_.table, term.column).name);
        } else {
            Node* child = findChild(root_, term.relation);
            if (child == nullptr) {
                throw notEmbedded(term.relation);
            }
            if (!child->relationship.toOne) {
                throw ApiError(400, "PGRST118", "A related order on '" + term.relation + "' is not possible",
                               std::nullopt, "Order only by columns of to-one embedded resources.");
            }
            const Column& column = requireColumn(*child->table, term.column);
            expression = "(SELECT " + child->alias + "." + quoted(column.name) + " FROM " +
                         quoted(child->table->name) + " AS " + child->alias + " WHERE " +
                         embedWhere(*child, root_) + " LIMIT 1)";
        }
        const bool nullsFirst = term.nullsFirst.value_or(term.descending);
        return expression + (term.descending ? " DESC" : " ASC") +
               (nullsFirst ? " NULLS FIRST" : " NULLS LAST");
    }

    const ReadQuery& query_;
    Node root_;
    int aliasCounter_ = 0;
    std::vector<SqlValue> params_;
};

bool parseInteger(const std::string& text, std::int64_t& value, bool& outOfRange) {
    std::string digits = text;
    while (!digits.empty() && std::isspace(static_cast<unsigned char>(digits.front()))) {
        digits.erase(digits.begin());
    }
    while (!digits.empty() && std::isspace(static_cast<unsigned char>(digits.back()))) {
        digits.pop_back();
    }
    if (!digits.empty() && digits.front() == '+') {
        digits.erase(digits.begin());
    }
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    outOfRange = error == std::errc::result_out_of_range;
    return !digits.empty() && error == std::errc() && end == digits.data() + digits.size();
}

bool isHex(char c) {
    return std::isxdigit(static_cast<unsigned char>(c)) != 0;
}

std::optional<std::string> canonicalUuid(const std::string& text) {
    std::string hex;
    std::string body = text;
    if (body.size() >= 2 && body.front() == '{' && body.back() == '}') {
        body = body.substr(1, body.size() - 2);
    }
    if (body.size() == 36) {
        for (std::size_t i = 0; i < body.size(); ++i) {
            const bool hyphen = i == 8 || i == 13 || i == 18 || i == 23;
            if (hyphen ? body[i] != '-' : !isHex(body[i])) {
                return std::nullopt;
            }
            if (!hyphen) {
                hex.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(body[i]))));
            }
        }
    } else if (body.size() == 32 && std::all_of(body.begin(), body.end(), isHex)) {
        for (char c : body) {
            hex.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
        }
    } else {
        return std::nullopt;
    }
    return hex.substr(0, 8) + "-" + hex.substr(8, 4) + "-" + hex.substr(12, 4) + "-" + hex.substr(16, 4) +
           "-" + hex.substr(20);
}

bool isDate(const std::string& text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') {
        return false;
    }
    for (std::size_t i : {0, 1, 2, 3, 5, 6, 8, 9}) {
        if (!std::isdigit(static_cast<unsigned char>(text[i]))) {
            return false;
        }
    }
    const int year = std::atoi(text.substr(0, 4).c_str());
    const int month = std::atoi(text.substr(5, 2).c_str());
    const int day = std::atoi(text.substr(8, 2).c_str());
    static const int days[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12 || day < 1 || day > days[month - 1]) {
        return false;
    }
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return !(month == 2 && day == 29 && !leap);
}

} // namespace

SqlValue coerceFilterValue(const Table&, const Column& column, const std::string& text) {
    switch (column.type) {
    case ColumnType::Integer: {
        std::int64_t value = 0;
        bool outOfRange = false;
        if (!parseInteger(text, value, outOfRange)) {
            if (outOfRange) {
                throw ApiError(400, "22003", "value \"" + text + "\" is out of range for type integer");
            }
            throw invalidInput(column.type, text);
        }
        return value;
    }
    case ColumnType::Real: {
        if (text.empty() || text.size() > 64) {
            throw invalidInput(column.type, text);
        }
        char* end = nullptr;
        const double value = std::strtod(text.c_str(), &end);
        if (end != text.c_str() + text.size() || value != value) {
            throw invalidInput(column.type, text);
        }
        return value;
    }
    case ColumnType::Boolean: {
        std::string lower = text;
        std::transform(lower.begin(), lower.end(), lower.begin(),
                       [](unsigned char c) { return std::tolower(c); });
        if (lower == "t" || lower == "true" || lower == "y" || lower == "yes" || lower == "on" ||
            lower == "1") {
            return std::int64_t{1};
        }
        if (lower == "f" || lower == "false" || lower == "n" || lower == "no" || lower == "off" ||
            lower == "0") {
            return std::int64_t{0};
        }
        throw invalidInput(column.type, text);
    }
    case ColumnType::Uuid: {
        auto canonical = canonicalUuid(text);
        if (!canonical) {
            throw invalidInput(column.type, text);
        }
        return *canonical;
    }
    case ColumnType::Date:
        if (!isDate(text)) {
            throw invalidInput(column.type, text);
        }
        return text;
    case ColumnType::Text:
    case ColumnType::Json:
        return text;
    }
    return text;
}

ReadSql buildReadSql(const Table& table, const ReadQuery& query, std::int64_t maxRows) {
    Builder builder(table, query);
    return builder.build(maxRows);
}

} // namespace huddlepod::backend
