// Writes Maildir folders for tests: a folder with cur/, new/ and tmp/, and message files with the
// header lines and body a test gives, so every test builds exactly the mail it talks about.
#pragma once

#include <filesystem>
#include <string>

namespace skimmer::test {

// Creates `folder` with cur/, new/ and tmp/; returns it.
std::filesystem::path makeMaildir(const std::filesystem::path& folder);

// Writes `bytes` as `folder`/`sub`/`name` (sub is "cur" or "new") and returns the file's path.
std::filesystem::path writeMessage(const std::filesystem::path& folder, const std::string& sub, const std::string& name,
                                   const std::string& bytes);

}  // namespace skimmer::test
