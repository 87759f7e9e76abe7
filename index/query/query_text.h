// The query text that the query helper generates and the connection executes. It reads like the
// SQL it stands for and carries the select list and the user's query verbatim:
//
//     SELECT System.ItemName,System.Size FROM SystemIndex WHERE AQS('invoice ''draft''')
//
// Contract: `parseQueryText(makeQueryText(c, q))` gives back exactly c and q for any bytes
// (quotes are doubled; NUL and other bytes pass through). Any other text is refused.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace skimmer::index::query {

struct QueryText {
    std::string columns;
    std::string userQuery;
};

std::string makeQueryText(std::string_view columns, std::string_view userQuery);
std::optional<QueryText> parseQueryText(std::string_view text);

}  // namespace skimmer::index::query
