// The table of a log's symbolic names: name -> revision text. Its enumeration order is visible to the
// user (the history tree lists the names of a node in this order), so the hashing, the bucket counts, the
// growth and the order inside a bucket are fixed:
//   hash h = h * 33 + b over the name's bytes, b taken as a signed byte, in unsigned 32-bit arithmetic;
//   bucket = h % bucket count; 17 buckets at the start; a new name goes to the front of its bucket;
//   more names than 2.25 x buckets after an insertion: grow to the first size of kTagTableSizes that is not
//   below names / 0.75, moving the names bucket by bucket, each to the front of its new bucket;
//   enumeration: buckets in ascending order, each from front to back. Platform-free.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class CTagTable {
public:
    CTagTable();

    // Adds the name, or replaces the revision of a name already present (which keeps its place).
    void Set(std::string_view name, std::string_view revision);
    // The name's revision, or null. Names are compared exactly (case-sensitive).
    const std::string* Find(std::string_view name) const;

    size_t Count() const noexcept { return count_; }
    size_t BucketCount() const noexcept { return buckets_.size(); }

    // Calls f(name, revision) for every entry in enumeration order.
    template <typename F>
    void ForEach(F&& f) const {
        for (const Bucket& bucket : buckets_) {
            for (const Entry& e : bucket) f(e.first, e.second);
        }
    }
    // The entries in enumeration order.
    std::vector<std::pair<std::string, std::string>> Entries() const;

    static uint32_t Hash(std::string_view name) noexcept;

private:
    using Entry = std::pair<std::string, std::string>;  // name, revision
    using Bucket = std::vector<Entry>;                  // front of the bucket = element 0

    void Grow();

    std::vector<Bucket> buckets_;
    size_t count_ = 0;
};

// The bucket counts the table may take, in ascending order.
extern const uint32_t kTagTableSizes[];
extern const size_t kTagTableSizeCount;
