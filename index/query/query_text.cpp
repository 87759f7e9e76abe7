#include "index/query/query_text.h"

namespace skimmer::index::query {
namespace {

constexpr std::string_view kSelect = "SELECT ";
constexpr std::string_view kWhere = " FROM SystemIndex WHERE AQS('";
constexpr std::string_view kEnd = "')";

}  // namespace

std::string makeQueryText(std::string_view columns, std::string_view userQuery) {
    std::string text(kSelect);
    text += columns;
    text += kWhere;
    for (char c : userQuery) {
        text += c;
        if (c == '\'') text += '\'';
    }
    text += kEnd;
    return text;
}

std::optional<QueryText> parseQueryText(std::string_view text) {
    if (!text.starts_with(kSelect) || !text.ends_with(kEnd)) return std::nullopt;
    const size_t where = text.find(kWhere);
    if (where == std::string_view::npos) return std::nullopt;
    QueryText parsed;
    parsed.columns = std::string(text.substr(kSelect.size(), where - kSelect.size()));
    std::string_view quoted = text.substr(where + kWhere.size());
    quoted.remove_suffix(kEnd.size());
    for (size_t i = 0; i < quoted.size(); ++i) {
        if (quoted[i] == '\'') {
            if (i + 1 >= quoted.size() || quoted[i + 1] != '\'') return std::nullopt;
            ++i;
        }
        parsed.userQuery += quoted[i];
    }
    return parsed;
}

}  // namespace skimmer::index::query
