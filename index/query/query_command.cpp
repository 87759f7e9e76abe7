#include "index/query/query_command.h"

#include "index/query/connection.h"
#include "index/query/safecall_error.h"
#include "index/query/search_manager.h"
#include "index/storage/display_text.h"

#include <algorithm>

namespace skimmer::index::query {
namespace {

constexpr int kExitHits = 0, kExitNoHits = 1, kExitIndex = 3;

std::string_view hitText(const RowTable& rows, size_t row) {
    const std::string_view url = rows.cell(0, row).text;
    return url.starts_with("file:") ? rows.cell(1, row).text.view() : url;
}

void report(const ParsedQuery& parsed, std::FILE* err) {
    // Messages quote what was typed, which may hold anything a name can.
    if (parsed.status != ParsedQuery::Status::Ok)
        std::fprintf(err, "skimmer-index: %s\n", escapeForTerminal(parsed.message).c_str());
    for (const std::string& note : parsed.notes) std::fprintf(err, "skimmer-index: %s\n", escapeForTerminal(note).c_str());
}

long printHits(Recordset& recordset, const QueryCommand& command, std::FILE* out) {
    long printed = 0;
    while ((command.limit < 0 || printed < command.limit) && !recordset.eof()) {
        const long want = command.limit < 0 ? 64 : std::min<long>(64, command.limit - printed);
        const RowTable rows = recordset.getRows(static_cast<int>(want));
        for (size_t r = 0; r < rows.rowCount(); ++r, ++printed) {
            const std::string_view hit = hitText(rows, r);
            if (command.nulTerminated) {
                std::fwrite(hit.data(), 1, hit.size(), out);
                std::fputc('\0', out);
            } else {
                if (store::plainForTerminal(hit)) {
                    std::fwrite(hit.data(), 1, hit.size(), out);
                } else {
                    const std::string shown = escapeForTerminal(hit);
                    std::fwrite(shown.data(), 1, shown.size(), out);
                }
                std::fputc('\n', out);
            }
        }
    }
    return printed;
}

}  // namespace

std::string escapeForTerminal(std::string_view bytes) { return store::terminalSafe(bytes); }

int runQueryCommand(const QueryCommand& command, const std::filesystem::path& database, std::FILE* out,
                    std::FILE* err) {
    try {
        SearchManager manager(database);
        auto helper = manager.getCatalog("systemindex")->getQueryHelper();
        helper->putQuerySelectColumns("System.ItemURL,System.ItemPathDisplay");
        std::string text = command.text;
        if (!command.kind.empty()) text += " System.Kind:" + command.kind + " System.Kind:(NOT folder)";
        Connection connection;
        connection.open(helper->connectionString());
        auto recordset = connection.execute(helper->generateSqlFromUserQuery(text));
        report(recordset->parsedQuery(), err);
        const long printed = printHits(*recordset, command, out);
        std::fflush(out);
        return printed > 0 ? kExitHits : kExitNoHits;
    } catch (const SafecallError& error) {
        // The sentence first; the code (for a bug report) after it, without the interface's jargon.
        std::fprintf(err, "skimmer-index: %s (error code %X)\n", escapeForTerminal(error.detail()).c_str(),
                     static_cast<unsigned>(error.code()));
        return kExitIndex;
    } catch (const std::exception& error) {
        std::fprintf(err, "skimmer-index: %s\n", error.what());
        return kExitIndex;
    }
}

}  // namespace skimmer::index::query
