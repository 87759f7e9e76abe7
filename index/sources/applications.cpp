#include "index/sources/applications.h"

#include "index/storage/kinds.h"
#include "os/bounded_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace skimmer::index::store {

namespace {

constexpr const char* kGroup = "Desktop Entry";
constexpr size_t kMaxDesktopFile = 1 << 20;

std::vector<std::string_view> splitList(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    while (!text.empty()) {
        const size_t at = text.find(separator);
        if (at != 0) parts.push_back(text.substr(0, at));
        if (at == std::string_view::npos) break;
        text.remove_prefix(at + 1);
    }
    return parts;
}

bool desktopListed(const std::vector<std::string>& list, std::string_view currentDesktop) {
    for (std::string_view desktop : splitList(currentDesktop, ':'))
        for (const std::string& entry : list)
            if (entry == desktop) return true;
    return false;
}

bool tryExecFound(const std::string& program, const DesktopContext& context) {
    if (program.find('/') != std::string::npos) return program[0] == '/' && context.isExecutable(program);
    for (const std::string& dir : context.pathDirs)
        if (context.isExecutable(dir + "/" + program)) return true;
    return false;
}

bool shown(const os::DesktopFile& entry, const DesktopContext& context) {
    if (entry.boolean(kGroup, "Hidden").value_or(false) || entry.boolean(kGroup, "NoDisplay").value_or(false))
        return false;
    if (entry.raw(kGroup, "OnlyShowIn") && !desktopListed(entry.stringList(kGroup, "OnlyShowIn"), context.currentDesktop))
        return false;
    if (desktopListed(entry.stringList(kGroup, "NotShowIn"), context.currentDesktop)) return false;
    const std::optional<std::string> tryExec = entry.string(kGroup, "TryExec");
    return !tryExec || tryExec->empty() || tryExecFound(*tryExec, context);
}

}  // namespace

std::string desktopFileId(std::string_view relative) {
    std::string id(relative);
    for (char& c : id)
        if (c == '/') c = '-';
    return id;
}

std::optional<CrawledItem> desktopEntryItem(const os::DesktopFile& entry, const std::string& id, const std::string& file,
                                        const CrawledItem& fileRow, const DesktopContext& context) {
    const std::optional<std::string> type = entry.string(kGroup, "Type");
    const std::optional<std::string> name = entry.localeString(kGroup, "Name", context.locale);
    if (!type || !name || name->empty() || !shown(entry, context)) return std::nullopt;
    CrawledItem row;
    if (*type == "Application") {
        row.kind = static_cast<int>(Kind::Program);
        row.url = "application://" + id;
    } else if (*type == "Link") {
        const std::optional<std::string> url = entry.string(kGroup, "URL");
        if (!url || url->empty()) return std::nullopt;
        row.kind = static_cast<int>(Kind::Favorite);
        row.url = *url;
    } else {
        return std::nullopt;
    }
    row.name = *name;
    row.ext = "desktop";
    row.size = fileRow.size;
    row.mtime = fileRow.mtime;
    row.ctime = fileRow.ctime;
    row.display = file;
    return row;
}

std::optional<std::string> readDesktopFile(const std::string& path) {
    os::BoundedRead file = os::readBoundedFile(path, kMaxDesktopFile);
    if (!file.ok()) return std::nullopt;
    return std::move(file.text);
}

bool isExecutableFile(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

}  // namespace skimmer::index::store
