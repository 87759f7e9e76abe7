// The fields a registered dialog edits when they are its own and not settings: a dialog that asks
// for a group, a search folder or a destination binds its items to a record of its caller's
// instead of borrowing entries of the settings table.
//
// Contract: each field is bound under the name its item carries in the description; the first
// binding of a name wins. The record keeps pointers to the caller's fields and owns none of them:
// the fields must outlive every dialog registered over the record. Nothing here throws.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "config/registry_config.h"

namespace skimmer::dialogs {

class TDialogRecord {
public:
    TDialogRecord& text(std::string_view name, std::string& field) { return bind(name, &field); }
    TDialogRecord& flag(std::string_view name, bool& field) { return bind(name, &field); }
    TDialogRecord& choice(std::string_view name, int32_t& field) { return bind(name, &field); }

    // The field bound under `name`; monostate when none is.
    config::TConfigValuePtr find(std::string_view name) const {
        for (const auto& [bound, field] : fields_)
            if (bound == name) return field;
        return std::monostate{};
    }

private:
    TDialogRecord& bind(std::string_view name, config::TConfigValuePtr field) {
        fields_.emplace_back(std::string(name), field);
        return *this;
    }

    std::vector<std::pair<std::string, config::TConfigValuePtr>> fields_;
};

}  // namespace skimmer::dialogs
