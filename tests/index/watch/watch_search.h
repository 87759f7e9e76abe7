// A search of an index as the search window makes it, for tests of the live index: the paths in
// the order given, and whether the reader took the slow path (no usable sidecar).
#pragma once

#include "index/query/connection.h"
#include "index/query/search_manager.h"

#include <string>
#include <vector>

namespace skimmer::index::watch::test {

struct Answer {
    std::vector<std::string> paths;  // in the order given
    bool slow = false;
};

inline Answer search(const std::string& dbFile, const std::string& text) {
    query::SearchManager manager(dbFile);
    auto helper = manager.getCatalog("systemindex")->getQueryHelper();
    helper->putQuerySelectColumns("System.ItemPathDisplay");
    query::Connection connection([] { return int64_t{1'900'000'000}; });
    connection.open(helper->connectionString());
    auto recordset = connection.execute(helper->generateSqlFromUserQuery(text));
    Answer answer;
    while (!recordset->eof()) {
        const query::RowTable rows = recordset->getRows(5);
        for (size_t r = 0; r < rows.rowCount(); ++r) answer.paths.push_back(rows.cell(0, r).text);
    }
    answer.slow = recordset->usedSlowPath();
    return answer;
}

}  // namespace skimmer::index::watch::test
