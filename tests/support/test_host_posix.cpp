#include <dlfcn.h>

#include "tests/support/test_host.h"

namespace skimmer::test {

Module::Module(const std::filesystem::path& file) {
    handle_ = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) {
        const char* why = dlerror();
        error_ = why ? why : "dlopen failed";
    }
}

Module::~Module() {
    if (handle_) dlclose(handle_);
}

void* Module::symbol(const char* name) const { return handle_ ? dlsym(handle_, name) : nullptr; }

}  // namespace skimmer::test
