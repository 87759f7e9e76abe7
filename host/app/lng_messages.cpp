#include "host/app/lng_messages.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>

#include "far/lng_format.h"

namespace skimmer::host::app {

std::string farLanguageFor(const std::string& locale) {
    static const std::map<std::string, std::string> kNames = {
        {"ru", "Russian"}, {"de", "German"}, {"fr", "French"}, {"es", "Spanish"}, {"it", "Italian"},
        {"pl", "Polish"},  {"cs", "Czech"},  {"uk", "Ukrainian"}, {"be", "Belarusian"}, {"hu", "Hungarian"},
    };
    const std::string code = locale.substr(0, std::min(locale.find_first_of("_.@"), locale.size()));
    const auto it = kNames.find(code);
    return it == kNames.end() ? "English" : it->second;
}

std::string userLocale() {
    for (const char* var : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* v = std::getenv(var);
        if (v != nullptr && *v != '\0') return v;
    }
    return "C";
}

void LngMessages::load(const std::filesystem::path& moduleDir, const std::string& language) {
    namespace fs = std::filesystem;
    std::vector<fs::path> files;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(moduleDir, ec))
        if (entry.path().extension() == ".lng" && entry.is_regular_file(ec)) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    std::vector<farapi::LngFile> parsed;
    std::vector<std::string> languages;
    for (const auto& f : files) {
        std::ifstream in(f, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        parsed.push_back(farapi::parseLng(bytes));
        languages.push_back(parsed.back().language);
    }
    const auto chosen = farapi::chooseLngFile(languages, language);
    messages_.clear();
    language_.clear();
    if (!chosen) return;
    messages_ = std::move(parsed[*chosen].messages);
    language_ = languages[*chosen];
}

const char* LngMessages::message(int id) const {
    if (id < 0 || static_cast<size_t>(id) >= messages_.size()) return "";
    return messages_[static_cast<size_t>(id)].c_str();
}

}  // namespace skimmer::host::app
