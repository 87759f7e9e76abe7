// A map kept as one sorted vector: the few values of a registry key in one allocation instead of
// one tree node each, so a hive of a hundred thousand values is read, searched and freed quickly.
//
// Contract:
// - Iteration is in ascending key order, as std::map's; elements are std::pair<Key, Mapped> and
//   are reached through `->first` / `->second` and structured bindings alike.
// - The operations are the subset of std::map's that the hive uses, with its meanings. Unlike a
//   std::map, any insertion or erasure invalidates iterators, pointers and references into the
//   map, which suits callers that look an element up, use it and let go.
// - Appending in ascending order (as a reader of a sorted file does) costs no search and no move.
#pragma once

#include <algorithm>
#include <stdexcept>
#include <utility>
#include <vector>

namespace skimmer::os {

template <typename Key, typename Mapped>
class FlatMap {
public:
    using value_type = std::pair<Key, Mapped>;
    using iterator = typename std::vector<value_type>::iterator;
    using const_iterator = typename std::vector<value_type>::const_iterator;

    bool empty() const { return items_.empty(); }
    size_t size() const { return items_.size(); }
    void reserve(size_t n) { items_.reserve(n); }
    iterator begin() { return items_.begin(); }
    iterator end() { return items_.end(); }
    const_iterator begin() const { return items_.begin(); }
    const_iterator end() const { return items_.end(); }

    iterator find(const Key& key) {
        const iterator it = lowerBound(key);
        return it != items_.end() && !(key < it->first) ? it : items_.end();
    }
    const_iterator find(const Key& key) const { return const_cast<FlatMap*>(this)->find(key); }
    Mapped& at(const Key& key) { return checked(find(key))->second; }
    const Mapped& at(const Key& key) const { return checked(find(key))->second; }

    // Inserts a default Mapped under `key` unless it is there; the element and whether it was added.
    std::pair<iterator, bool> try_emplace(Key key) {
        if (items_.empty() || items_.back().first < key) {
            items_.emplace_back(std::move(key), Mapped{});
            return {items_.end() - 1, true};
        }
        const iterator it = lowerBound(key);
        if (it != items_.end() && !(key < it->first)) return {it, false};
        return {items_.emplace(it, std::move(key), Mapped{}), true};
    }
    // `mapped` is taken by reference, as std::map's is, so an argument that is moved from may name
    // the key too: nothing is moved before the key is computed.
    template <typename M>
    void insert_or_assign(Key key, M&& mapped) {
        try_emplace(std::move(key)).first->second = std::forward<M>(mapped);
    }
    iterator erase(const_iterator it) { return items_.erase(it); }
    size_t erase(const Key& key) {
        const iterator it = find(key);
        if (it == items_.end()) return 0;
        items_.erase(it);
        return 1;
    }

    bool operator==(const FlatMap&) const = default;

private:
    iterator lowerBound(const Key& key) {
        return std::lower_bound(items_.begin(), items_.end(), key,
                                [](const value_type& item, const Key& k) { return item.first < k; });
    }
    template <typename It>
    It checked(It it) const {
        if (it == items_.end()) throw std::out_of_range("FlatMap::at: no such key");
        return it;
    }

    std::vector<value_type> items_;
};

}  // namespace skimmer::os
