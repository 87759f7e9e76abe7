#include "host/services/shell_words.h"

#include <cstring>

namespace skimmer::host::services {

bool splitShellWords(std::string_view text, std::vector<std::string>& words, std::string& error) {
    words.clear();
    std::string word;
    bool inWord = false;
    enum { Plain, Single, Double } state = Plain;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        bool hasNext = i + 1 < text.size();
        if (state == Single) {
            if (c == '\'') state = Plain;
            else word.push_back(c);
        } else if (state == Double) {
            if (c == '"') state = Plain;
            else if (c == '\\' && hasNext && text[i + 1] != 0 && std::strchr("$`\"\\\n", text[i + 1])) {
                if (text[++i] != '\n') word.push_back(text[i]);
            } else word.push_back(c);
        } else if (c == ' ' || c == '\t' || c == '\n') {
            if (inWord) words.push_back(std::move(word));
            word.clear();
            inWord = false;
        } else {
            inWord = true;
            if (c == '\'') state = Single;
            else if (c == '"') state = Double;
            else if (c == '\\' && hasNext) {
                if (text[++i] != '\n') word.push_back(text[i]);  // backslash-newline joins lines
            } else word.push_back(c);
        }
    }
    if (state != Plain) {
        error = "an unterminated quote in \"" + std::string(text) + "\"";
        return false;
    }
    if (inWord) words.push_back(std::move(word));
    return true;
}

}  // namespace skimmer::host::services
