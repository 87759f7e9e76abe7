// The date and time columns of a hit: its date looked up once and kept in the record, then shown
// as a date text and a time text.
//
// Contract: a file hit's date and attributes are asked of a THitFileProbe (the file system in the
// plug-in, a fake in tests) the first time and stored in the hit (DateKnown, AttrKnown); later
// calls reuse them. A file that cannot be found gives `NoDateText` and is asked again next time.
// Mail hits ("mapi://" addresses) are asked of the mail-date seam (the search window gives it the
// mail store); a message the seam cannot find, or an empty seam, shows `NoDateText` and is asked
// again next time. Nothing here throws.
//
// The date format on Linux: the short date is ISO 8601 ("2026-12-08"), the long time is H:MM:SS
// without a leading zero on the hour ("9:05:07"), the time being left out at exactly midnight, as
// the default date-and-time format of the Windows build does with the system's formats.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "os/clock.h"
#include "os/file_system.h"
#include "results/search_result.h"

namespace skimmer::results {

// What a find-first on a path tells: last write time as a local OLE date, and the attributes.
struct THitFileEntry {
    double Date = 0;
    uint32_t Attributes = 0;
};

class THitFileProbe {
public:
    virtual ~THitFileProbe() = default;
    // None when the path does not name an existing file or folder.
    virtual std::optional<THitFileEntry> Find(const std::string& path) const = 0;
};

// A probe over a file system (following a final symbolic link, as the opening of a hit does).
// Attributes: directory, hidden for a name that starts with '.', otherwise normal. A modification
// time outside the OLE range (or one that cannot be converted to local time) reads as `clock`'s now.
class TFileSystemProbe final : public THitFileProbe {
public:
    explicit TFileSystemProbe(os::FileSystem& fs = os::realFileSystem(), const os::Clock& clock = os::systemClock())
        : fs_(fs), clock_(clock) {}
    std::optional<THitFileEntry> Find(const std::string& path) const override;

private:
    os::FileSystem& fs_;
    const os::Clock& clock_;
};

// The creation time of a mail item as a local OLE date; none when it cannot be had.
using TMailDateLookup = std::function<std::optional<double>(const TSearchResult& hit)>;

struct THitDateSources {
    const THitFileProbe* Files = nullptr;  // null: every file hit shows NoDateText
    TMailDateLookup MailDate;              // empty: every mail hit shows NoDateText
    std::string NoDateText;
};

std::string HitDateText(TSearchResult& Hit, const THitDateSources& sources);
// The time part; padded with a leading "0" to 8 characters when shorter (never NoDateText). A
// date at exactly midnight shows "00:00:00" here, not its date text, whose time is left out.
std::string HitTimeText(TSearchResult& Hit, const THitDateSources& sources);

}  // namespace skimmer::results
