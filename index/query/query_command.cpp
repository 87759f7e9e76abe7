#include "index/query/query_command.h"

#include "index/query/connection.h"
#include "index/query/safecall_error.h"
#include "index/query/search_manager.h"
#include "os/utf8.h"

#include <algorithm>

namespace skimmer::index::query {
namespace {

constexpr int kExitHits = 0, kExitNoHits = 1, kExitIndex = 3;

void appendHex(std::string& out, unsigned char byte) {
    static const char kDigits[] = "0123456789ABCDEF";
    out += "\\x";
    out += kDigits[byte >> 4];
    out += kDigits[byte & 15];
}

// Length of a valid UTF-8 sequence at `i` that is not a C1 control (U+0080..U+009F), or 0.
size_t printableSequence(std::string_view s, size_t i) {
    char32_t c = 0;
    const size_t length = os::decodeUtf8(s, i, c);
    return (c >= 0x80 && c <= 0x9F) ? 0 : length;
}

std::string hitText(const RowTable& rows, size_t row) {
    const std::string& url = rows.cell(0, row).text;
    return url.starts_with("file:") ? rows.cell(1, row).text : url;
}

void report(const ParsedQuery& parsed, std::FILE* err) {
    if (parsed.status != ParsedQuery::Status::Ok) std::fprintf(err, "skimmer-index: %s\n", parsed.message.c_str());
    for (const std::string& note : parsed.notes) std::fprintf(err, "skimmer-index: %s\n", note.c_str());
}

long printHits(Recordset& recordset, const QueryCommand& command, std::FILE* out) {
    long printed = 0;
    while ((command.limit < 0 || printed < command.limit) && !recordset.eof()) {
        const long want = command.limit < 0 ? 64 : std::min<long>(64, command.limit - printed);
        const RowTable rows = recordset.getRows(static_cast<int>(want));
        for (size_t r = 0; r < rows.rowCount(); ++r, ++printed) {
            const std::string hit = hitText(rows, r);
            if (command.nulTerminated) {
                std::fwrite(hit.data(), 1, hit.size(), out);
                std::fputc('\0', out);
            } else {
                std::fprintf(out, "%s\n", escapeForTerminal(hit).c_str());
            }
        }
    }
    return printed;
}

}  // namespace

std::string escapeForTerminal(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size();) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b == '\\') { out += "\\\\"; ++i; continue; }
        if (b >= 0x20 && b < 0x7F) { out += static_cast<char>(b); ++i; continue; }
        const size_t length = b >= 0x80 ? printableSequence(bytes, i) : 0;
        if (length == 0) { appendHex(out, b); ++i; continue; }
        out.append(bytes.substr(i, length));
        i += length;
    }
    return out;
}

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
        std::fprintf(err, "skimmer-index: %s (%s)\n", escapeForTerminal(error.detail()).c_str(), error.what());
        return kExitIndex;
    } catch (const std::exception& error) {
        std::fprintf(err, "skimmer-index: %s\n", error.what());
        return kExitIndex;
    }
}

}  // namespace skimmer::index::query
