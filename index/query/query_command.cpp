#include "index/query/query_command.h"

#include "index/query/connection.h"
#include "index/query/safecall_error.h"
#include "index/query/search_manager.h"
#include "index/query/utf8.h"

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

// Characters that reorder or break the lines a terminal shows without being visible themselves:
// a name holding U+202E shows its extension reversed, one holding U+2028 starts a new line.
bool reordersOrBreaksLines(char32_t c) {
    return c == 0x061C || c == 0x200E || c == 0x200F || (c >= 0x202A && c <= 0x202E) ||
           (c >= 0x2066 && c <= 0x2069) || c == 0x2028 || c == 0x2029;
}

struct Sequence {
    size_t length = 0;  // 0: not valid UTF-8, or a C1 control (U+0080..U+009F): escaped byte-wise
    bool named = false; // shown as \uXXXX
    char32_t c = 0;
};

Sequence sequenceAt(std::string_view s, size_t i) {
    Sequence seq;
    seq.length = decodeUtf8(reinterpret_cast<const unsigned char*>(s.data()) + i, s.size() - i, seq.c);
    if (seq.c >= 0x80 && seq.c <= 0x9F) seq.length = 0;
    seq.named = seq.length != 0 && reordersOrBreaksLines(seq.c);
    return seq;
}

void appendCodePoint(std::string& out, char32_t c) {
    char text[16];
    std::snprintf(text, sizeof text, "\\u%04X", static_cast<unsigned>(c));
    out += text;
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
        const Sequence seq = b >= 0x80 ? sequenceAt(bytes, i) : Sequence{};
        if (seq.length == 0) { appendHex(out, b); ++i; continue; }
        if (seq.named) appendCodePoint(out, seq.c);
        else out.append(bytes.substr(i, seq.length));
        i += seq.length;
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
