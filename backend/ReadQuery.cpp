// Parsing of PostgREST query parameters into a ReadQuery.
#include "backend/ReadQuery.h"

#include "backend/ApiError.h"

#include <charconv>

namespace huddlepod::backend {

namespace {

constexpr int maxSelectDepth = 4;
constexpr int maxLogicDepth = 8;

bool isIdentifierChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

bool isIdentifier(const std::string& text) {
    if (text.empty() || text.size() > 63) {
        return false;
    }
    for (char c : text) {
        if (!isIdentifierChar(c)) {
            return false;
        }
    }
    return true;
}

std::string trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

// Splits at `separator` outside parentheses and double quotes; fails on unbalanced text.
bool splitTopLevel(const std::string& text, char separator, std::vector<std::string>& parts) {
    int depth = 0;
    bool quoted = false;
    std::string current;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            current.push_back(c);
            if (c == '\\' && i + 1 < text.size()) {
                current.push_back(text[++i]);
            } else if (c == '"') {
                quoted = false;
            }
            continue;
        }
        if (c == '"') {
            quoted = true;
        } else if (c == '(') {
            ++depth;
        } else if (c == ')') {
            if (--depth < 0) {
                return false;
            }
        } else if (c == separator && depth == 0) {
            parts.push_back(current);
            current.clear();
            continue;
        }
        current.push_back(c);
    }
    if (depth != 0 || quoted) {
        return false;
    }
    parts.push_back(current);
    return true;
}

// Removes the double quotes (and backslash escapes) PostgREST allows around a value.
std::string unquote(const std::string& value) {
    if (value.size() < 2 || value.front() != '"' || value.back() != '"') {
        return value;
    }
    std::string result;
    for (std::size_t i = 1; i + 1 < value.size(); ++i) {
        if (value[i] == '\\' && i + 2 < value.size()) {
            ++i;
        }
        result.push_back(value[i]);
    }
    return result;
}

class SelectParser {
public:
    explicit SelectParser(const std::string& text)
        : text_(text) {}

    std::vector<SelectItem> parse() {
        auto items = list(0);
        if (pos_ != text_.size()) {
            fail("unexpected \"" + std::string(1, text_[pos_]) + "\"");
        }
        return items;
    }

private:
    [[noreturn]] void fail(const std::string& why) const {
        throw parseError("select parameter (" + text_ + ")", why + " at position " + std::to_string(pos_));
    }

    void skipSpaces() {
        while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t')) {
            ++pos_;
        }
    }

    std::string identifier() {
        skipSpaces();
        const auto start = pos_;
        while (pos_ < text_.size() && isIdentifierChar(text_[pos_])) {
            ++pos_;
        }
        std::string name = text_.substr(start, pos_ - start);
        if (!isIdentifier(name)) {
            fail("expected a name");
        }
        skipSpaces();
        return name;
    }

    std::vector<SelectItem> list(int depth) {
        if (depth > maxSelectDepth) {
            fail("embedding nested too deeply");
        }
        std::vector<SelectItem> items;
        skipSpaces();
        if (pos_ < text_.size() && text_[pos_] == ')') {
            return items;
        }
        while (true) {
            items.push_back(item(depth));
            skipSpaces();
            if (pos_ < text_.size() && text_[pos_] == ',') {
                ++pos_;
                continue;
            }
            return items;
        }
    }

    SelectItem item(int depth) {
        skipSpaces();
        SelectItem item;
        if (pos_ < text_.size() && text_[pos_] == '*') {
            ++pos_;
            item.kind = SelectItem::Kind::Star;
            return item;
        }
        std::string first = identifier();
        if (pos_ < text_.size() && text_[pos_] == ':') {
            if (pos_ + 1 < text_.size() && text_[pos_ + 1] == ':') {
                fail("casts are not supported");
            }
            ++pos_;
            item.alias = first;
            first = identifier();
        }
        item.name = first;
        while (pos_ < text_.size() && text_[pos_] == '!') {
            ++pos_;
            const std::string modifier = identifier();
            if (modifier == "inner") {
                item.inner = true;
            } else if (modifier == "left") {
                item.inner = false;
            } else if (item.hint.empty()) {
                item.hint = modifier;
            } else {
                fail("more than one hint");
            }
        }
        if (pos_ < text_.size() && text_[pos_] == '(') {
            ++pos_;
            item.kind = SelectItem::Kind::Embed;
            item.children = list(depth + 1);
            skipSpaces();
            if (pos_ >= text_.size() || text_[pos_] != ')') {
                fail("expected \")\"");
            }
            ++pos_;
        } else if (!item.hint.empty() || item.inner) {
            fail("\"!\" applies only to embedded resources");
        } else {
            item.kind = SelectItem::Kind::Column;
        }
        return item;
    }

    const std::string& text_;
    std::size_t pos_ = 0;
};

bool isOperator(const std::string& op) {
    return op == "eq" || op == "neq" || op == "gt" || op == "gte" || op == "lt" || op == "lte" ||
           op == "is" || op == "in";
}

// "op.value" or "not.op.value" for one column.
Condition leaf(const std::string& column, const std::string& text, const std::string& context, bool inLogic) {
    Condition condition;
    condition.kind = Condition::Kind::Leaf;
    condition.filter.column = column;
    std::string rest = text;
    if (rest.rfind("not.", 0) == 0) {
        condition.filter.negated = true;
        rest = rest.substr(4);
    }
    const auto dot = rest.find('.');
    if (dot == std::string::npos) {
        throw parseError("filter (" + context + ")", "expected an operator and a value");
    }
    condition.filter.op = rest.substr(0, dot);
    const std::string value = rest.substr(dot + 1);
    if (!isOperator(condition.filter.op)) {
        throw parseError("filter (" + context + ")", "unknown operator \"" + condition.filter.op + "\"");
    }
    if (condition.filter.op == "in") {
        if (value.size() < 2 || value.front() != '(' || value.back() != ')') {
            throw parseError("filter (" + context + ")", "\"in\" takes a list in parentheses");
        }
        std::vector<std::string> members;
        const std::string inside = value.substr(1, value.size() - 2);
        if (!inside.empty()) {
            if (!splitTopLevel(inside, ',', members)) {
                throw parseError("filter (" + context + ")", "unbalanced list");
            }
        }
        for (auto& member : members) {
            condition.filter.values.push_back(unquote(trim(member)));
        }
    } else {
        // Quotes protect reserved characters inside logic trees; a plain filter takes its value as written.
        condition.filter.values.push_back(inLogic ? unquote(value) : value);
    }
    return condition;
}

Condition logicBody(bool isOr, bool negated, const std::string& value, int depth);

// One member of an or/and list: a nested group or "column.op.value".
Condition logicMember(const std::string& text, int depth) {
    std::string member = trim(text);
    bool negated = false;
    if (member.rfind("not.", 0) == 0 &&
        (member.rfind("not.or(", 0) == 0 || member.rfind("not.and(", 0) == 0)) {
        negated = true;
        member = member.substr(4);
    }
    if (member.rfind("or(", 0) == 0) {
        return logicBody(true, negated, member.substr(2), depth + 1);
    }
    if (member.rfind("and(", 0) == 0) {
        return logicBody(false, negated, member.substr(3), depth + 1);
    }
    const auto dot = member.find('.');
    if (dot == std::string::npos || !isIdentifier(member.substr(0, dot))) {
        throw parseError("logic tree (" + text + ")", "expected \"column.operator.value\"");
    }
    return leaf(member.substr(0, dot), member.substr(dot + 1), text, true);
}

Condition logicBody(bool isOr, bool negated, const std::string& value, int depth) {
    if (depth > maxLogicDepth) {
        throw parseError("logic tree (" + value + ")", "nested too deeply");
    }
    if (value.size() < 2 || value.front() != '(' || value.back() != ')') {
        throw parseError("logic tree (" + value + ")", "expected a list in parentheses");
    }
    std::vector<std::string> members;
    if (!splitTopLevel(value.substr(1, value.size() - 2), ',', members)) {
        throw parseError("logic tree (" + value + ")", "unbalanced parentheses or quotes");
    }
    Condition condition;
    condition.kind = isOr ? Condition::Kind::Or : Condition::Kind::And;
    condition.negated = negated;
    for (const auto& member : members) {
        if (trim(member).empty()) {
            throw parseError("logic tree (" + value + ")", "empty member");
        }
        condition.children.push_back(logicMember(member, depth));
    }
    return condition;
}

std::vector<std::string> splitPath(const std::string& key) {
    std::vector<std::string> parts;
    std::string current;
    for (char c : key) {
        if (c == '.') {
            parts.push_back(current);
            current.clear();
        } else {
            current.push_back(c);
        }
    }
    parts.push_back(current);
    return parts;
}

} // namespace

std::vector<SelectItem> parseSelect(const std::string& text) {
    return SelectParser(text).parse();
}

std::vector<OrderTerm> parseOrder(const std::string& text) {
    std::vector<std::string> parts;
    if (!splitTopLevel(text, ',', parts)) {
        throw parseError("order (" + text + ")", "unbalanced parentheses");
    }
    std::vector<OrderTerm> terms;
    for (const auto& raw : parts) {
        const std::string part = trim(raw);
        OrderTerm term;
        std::string modifiers;
        if (const auto open = part.find('('); open != std::string::npos) {
            const auto close = part.find(')', open);
            if (close == std::string::npos) {
                throw parseError("order (" + text + ")", "expected \")\"");
            }
            term.relation = part.substr(0, open);
            term.column = part.substr(open + 1, close - open - 1);
            modifiers = part.substr(close + 1);
            if (!isIdentifier(term.relation)) {
                throw parseError("order (" + text + ")", "expected a related table name");
            }
        } else {
            const auto dot = part.find('.');
            term.column = part.substr(0, dot);
            modifiers = dot == std::string::npos ? "" : part.substr(dot);
        }
        if (!isIdentifier(term.column)) {
            throw parseError("order (" + text + ")", "expected a column name");
        }
        if (!modifiers.empty()) {
            if (modifiers.front() != '.') {
                throw parseError("order (" + text + ")", "unexpected \"" + modifiers + "\"");
            }
            for (const auto& modifier : splitPath(modifiers.substr(1))) {
                if (modifier == "asc") {
                    term.descending = false;
                } else if (modifier == "desc") {
                    term.descending = true;
                } else if (modifier == "nullsfirst") {
                    term.nullsFirst = true;
                } else if (modifier == "nullslast") {
                    term.nullsFirst = false;
                } else {
                    throw parseError("order (" + text + ")", "unknown modifier \"" + modifier + "\"");
                }
            }
        }
        terms.push_back(std::move(term));
    }
    return terms;
}

Condition parseFilterValue(const std::string& column, const std::string& value) {
    return leaf(column, value, column + "=" + value, false);
}

Condition parseLogic(bool isOr, bool negated, const std::string& value) {
    return logicBody(isOr, negated, value, 0);
}

ReadQuery parseReadQuery(const QueryParameters& parameters) {
    ReadQuery query;
    for (const auto& [key, value] : parameters) {
        if (key == "select") {
            query.select = parseSelect(value);
            continue;
        }
        if (key == "order") {
            query.order = parseOrder(value);
            continue;
        }
        if (key == "limit") {
            std::int64_t limit = 0;
            const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), limit);
            if (value.empty() || error != std::errc() || end != value.data() + value.size() || limit < 0) {
                throw parseError("limit parameter (" + value + ")", "expected a non-negative integer");
            }
            query.limit = limit;
            continue;
        }
        auto parts = splitPath(key);
        const std::string last = parts.back();
        if (last == "or" || last == "and") {
            parts.pop_back();
            bool negated = false;
            if (!parts.empty() && parts.back() == "not") {
                negated = true;
                parts.pop_back();
            }
            for (const auto& part : parts) {
                if (!isIdentifier(part)) {
                    throw parseError("filter (" + key + ")", "expected an embedded resource name");
                }
            }
            query.conditions.push_back({parts, parseLogic(last == "or", negated, value)});
            continue;
        }
        for (const auto& part : parts) {
            if (!isIdentifier(part)) {
                throw parseError("filter (" + key + ")", "expected a column name");
            }
        }
        parts.pop_back();
        query.conditions.push_back({parts, parseFilterValue(last, value)});
    }
    return query;
}

} // namespace huddlepod::backend
