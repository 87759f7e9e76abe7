// The values of one registry key: one sorted vector, so that a hive of a hundred thousand values
// is read, searched and freed quickly and takes little memory (no tree node and no second,
// folded copy of the name per value).
//
// Contract:
// - Values are kept and iterated in the registry's order: by name compared case-insensitively
//   (compareNames, the order of foldName's results). A value keeps the spelling it was created
//   with; any spelling finds it.
// - Any insertion or erasure invalidates iterators, pointers and references into the set, which
//   suits callers that look a value up, use it and let go.
// - Adding names in ascending order (as a reader of a sorted file does) costs no search and no move.
#pragma once

#include <algorithm>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "os/registry.h"

namespace skimmer::os {

struct HiveValue {
    std::string name;
    RegValue value;
    bool operator==(const HiveValue&) const = default;
};

// <0, 0, >0 as foldName(a) compares with foldName(b); ASCII names are compared without folding
// them into new strings.
int compareNames(std::string_view a, std::string_view b);

class HiveValues {
public:
    using iterator = std::vector<HiveValue>::iterator;
    using const_iterator = std::vector<HiveValue>::const_iterator;

    bool empty() const { return items_.empty(); }
    size_t size() const { return items_.size(); }
    void reserve(size_t n) { items_.reserve(n); }
    iterator begin() { return items_.begin(); }
    iterator end() { return items_.end(); }
    const_iterator begin() const { return items_.begin(); }
    const_iterator end() const { return items_.end(); }

    iterator find(std::string_view name) {
        const iterator it = lowerBound(name);
        return it != items_.end() && compareNames(it->name, name) == 0 ? it : items_.end();
    }
    const_iterator find(std::string_view name) const { return const_cast<HiveValues*>(this)->find(name); }
    const HiveValue& at(std::string_view name) const {
        const const_iterator it = find(name);
        if (it == items_.end()) throw std::out_of_range("no such registry value");
        return *it;
    }

    // The value of that name, added empty under this spelling unless one is there; whether it was added.
    std::pair<iterator, bool> try_emplace(std::string_view name) {
        if (items_.empty() || compareNames(items_.back().name, name) < 0) {
            items_.push_back({std::string(name), {}});
            return {items_.end() - 1, true};
        }
        const iterator it = lowerBound(name);
        if (it != items_.end() && compareNames(it->name, name) == 0) return {it, false};
        return {items_.insert(it, {std::string(name), {}}), true};
    }
    // Puts `value` in, replacing a value of its name (whose spelling then becomes value's).
    void insert_or_assign(HiveValue value) {
        const iterator it = lowerBound(value.name);
        if (it != items_.end() && compareNames(it->name, value.name) == 0) *it = std::move(value);
        else items_.insert(it, std::move(value));
    }
    iterator erase(const_iterator it) { return items_.erase(it); }
    size_t erase(std::string_view name) {
        const iterator it = find(name);
        if (it == items_.end()) return 0;
        items_.erase(it);
        return 1;
    }

    bool operator==(const HiveValues&) const = default;

private:
    iterator lowerBound(std::string_view name) {
        return std::lower_bound(items_.begin(), items_.end(), name,
                                [](const HiveValue& item, std::string_view n) { return compareNames(item.name, n) < 0; });
    }

    std::vector<HiveValue> items_;
};

}  // namespace skimmer::os
