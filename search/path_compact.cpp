#include "search/path_compact.h"

#include "results/text_trunc.h"

namespace skimmer::search {

std::string CompactPath(std::string_view Path, int Max, char Separator) {
    const size_t max = Max < 0 ? 0 : static_cast<size_t>(Max);
    const size_t total = results::CharCount(Path);
    if (total <= max) return std::string(Path);

    const size_t slash = Path.rfind(Separator);
    const std::string_view name = slash == std::string_view::npos ? Path : Path.substr(slash + 1);
    const size_t nameChars = results::CharCount(name);
    const std::string kGap = std::string("...") + Separator;
    if (slash != std::string_view::npos && nameChars + kGap.size() <= max) {
        // The head is a prefix of the folder part; the whole path did not fit, so it is shorter
        // than the folder part and the gap always stands for something.
        const size_t headChars = max - kGap.size() - nameChars;
        return std::string(results::FirstChars(Path, headChars)) + kGap + std::string(name);
    }
    if (max < 3) return std::string(max, '.');
    return std::string(results::FirstChars(name, max - 3)) + "...";
}

}  // namespace skimmer::search
