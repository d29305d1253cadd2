#include "core/JetSql.h"

#include <regex>

namespace jetsql {
namespace {

const std::regex& DeleteStar() {
    static const std::regex re(R"(^(\s*DELETE)\s*\*\s*(FROM\b|FROM\[))", std::regex::icase);
    return re;
}

const std::regex& SelectStarFrom() {
    static const std::regex re(R"(^\s*SELECT\s+\*\s+FROM\s*(?:\[([^\]]+)\]|([A-Za-z_][A-Za-z0-9_]*)))",
                               std::regex::icase);
    return re;
}

// Wraps a text in the quote character, doubling any quote inside it.
std::string Enclose(const std::string& text, char quote) {
    std::string out(1, quote);
    for (char c : text) {
        out += c;
        if (c == quote) {
            out += quote;
        }
    }
    return out + quote;
}

} // namespace

std::string ToSqlite(const std::string& statement) {
    return std::regex_replace(statement, DeleteStar(), "$1 $2", std::regex_constants::format_first_only);
}

std::optional<std::string> EditableTable(const std::string& query) {
    std::smatch match;
    if (!std::regex_search(query, match, SelectStarFrom())) {
        return std::nullopt;
    }
    return match[1].matched ? match[1].str() : match[2].str();
}

std::string Quote(const std::string& value) {
    return Enclose(value, '\'');
}

std::string Identifier(const std::string& name) {
    return Enclose(name, '"');
}

} // namespace jetsql
