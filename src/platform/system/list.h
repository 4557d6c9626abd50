#pragma once
// An ordered list of shared objects. Insertion order is kept; walks go from
// first to last; the sort is the stable neighbour-swapping bubble sort the
// high-score table relies on.
#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

#include "platform/system/runtime_error.h"

namespace sq {

template <class T>
class TList {
public:
    using Ref = std::shared_ptr<T>;

    void Reserve(std::size_t n) { items_.reserve(n); }
    void Append(Ref v) { items_.push_back(std::move(v)); }
    std::size_t Size() const { return items_.size(); }
    bool Empty() const { return items_.empty(); }
    Ref Last() const { return items_.empty() ? Ref() : items_.back(); }
    // Index of the first link holding v, or -1.
    int LinkOf(const Ref& v) const {
        for (std::size_t i = 0; i < items_.size(); ++i)
            if (items_[i] == v) return int(i);
        return -1;
    }
    void InsertBefore(Ref v, int link) {
        if (link < 0 || std::size_t(link) > items_.size()) link = int(items_.size());
        items_.insert(items_.begin() + link, std::move(v));
    }
    // The value at a 0-based index, not counting links that hold nothing.
    Ref ValueAt(int index) const {
        if (index >= 0) {
            int i = 0;
            for (const auto& v : items_) {
                if (!v) continue;
                if (i == index) return v;
                ++i;
            }
        }
        throw TRuntimeError(kListIndexMessage);
    }
    int RemoveValue(const Ref& v) {
        int i = LinkOf(v);
        if (i < 0) return 0;
        items_.erase(items_.begin() + i);
        return 1;
    }
    void Clear() { items_.clear(); }
    // compare(a, b) > 0 means a sorts after b (ascending) or, descending,
    // compare < 0 means a sorts after b. Equal values keep their order.
    void Sort(bool ascending, const std::function<int(const T&, const T&)>& compare) {
        std::size_t n = items_.size();
        for (bool swapped = true; swapped && n > 1; --n) {
            swapped = false;
            for (std::size_t i = 0; i + 1 < n; ++i) {
                // An empty link has no value to compare: the Null object.
                if (!items_[i] || !items_[i + 1]) throw TRuntimeError(kNullObjectMessage, "list");
                int c = compare(*items_[i], *items_[i + 1]);
                if (ascending ? c > 0 : c < 0) {
                    std::swap(items_[i], items_[i + 1]);
                    swapped = true;
                }
            }
        }
    }

    auto begin() { return items_.begin(); }
    auto end() { return items_.end(); }
    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

private:
    std::vector<Ref> items_;
};

}  // namespace sq
