// A plug-in's language strings: the `.lng` files beside its module, the one for the user's
// language (from LC_ALL, LC_MESSAGES or LANG), else English, else the first by file name.
//
// Contract: loading never fails; a module without language files has no messages, and every
// GetMsg on it answers "" (as for a number past the end). Strings stay at fixed addresses for the
// life of the object, because plug-ins keep the pointers GetMsg returns.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace skimmer::host::app {

// The FAR language name for a POSIX locale name: "ru_RU.UTF-8" -> "Russian"; English otherwise.
std::string farLanguageFor(const std::string& locale);
// The user's locale from the environment (LC_ALL, then LC_MESSAGES, then LANG).
std::string userLocale();

class LngMessages {
public:
    void load(const std::filesystem::path& moduleDir, const std::string& language);
    const char* message(int id) const;
    const std::string& language() const { return language_; }
    size_t size() const { return messages_.size(); }

private:
    std::vector<std::string> messages_;
    std::string language_;
};

}  // namespace skimmer::host::app
