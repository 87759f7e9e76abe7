// Desktop Exec lines, file URLs and shell words on arbitrary bytes: no crash, no undefined
// behaviour; a target always lands in the arguments whole; quoting for the shell splits back.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "host/services/shell_words.h"
#include "os/desktop_exec.h"

using namespace skimmer;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    size_t cut = text.find('\n');
    os::DesktopLaunch entry;
    entry.exec = std::string(text.substr(0, cut));
    entry.icon = "icon";
    const std::string target = "/tmp/t; $(x) \"q\"";
    os::ExecCommand cmd = os::expandExec(entry, {target});
    if (cmd.ok == cmd.argv.empty()) std::abort();
    if (!cmd.ok && cmd.error.empty()) std::abort();

    (void)os::fileUrlToPath(text);
    (void)os::looksLikeUrl(text);

    std::vector<std::string> words;
    std::string error;
    if (os::splitExec(text, words, error) && text.find('\0') == std::string_view::npos) {
        std::vector<std::string> back;
        bool empty = false;
        for (const auto& w : words) empty |= w.empty();
        if (!empty && host::services::splitShellWords(os::shellQuote(words), back, error) && back != words)
            std::abort();
    }
    (void)host::services::splitShellWords(text, words, error);
    return 0;
}
