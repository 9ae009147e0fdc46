#include "model/core/tag_table.h"

const uint32_t kTagTableSizes[] = {
    17,      23,      29,      37,      41,      53,      67,      83,      103,     131,     163,     211,
    257,     331,     409,     521,     647,     821,     1031,    1291,    1627,    2053,    2591,    3251,
    4099,    5167,    6521,    8209,    10331,   13007,   16411,   20663,   26017,   32771,   41299,   52021,
    65537,   82571,   104033,  131101,  165161,  208067,  262147,  330287,  416147,  524309,  660563,  832291,
    1048583, 1321139, 1664543, 2097169, 2642257, 3329023, 4194319, 5284493, 6658049, 8388617, 10568993, 13316089};
const size_t kTagTableSizeCount = sizeof(kTagTableSizes) / sizeof(kTagTableSizes[0]);

CTagTable::CTagTable() : buckets_(kTagTableSizes[0]) {}

uint32_t CTagTable::Hash(std::string_view name) noexcept {
    uint32_t h = 0;
    for (char c : name) {
        // The byte counts as signed: bytes above 0x7F subtract (modulo 2^32).
        h = h * 33u + static_cast<uint32_t>(static_cast<int32_t>(static_cast<signed char>(c)));
    }
    return h;
}

const std::string* CTagTable::Find(std::string_view name) const {
    const Bucket& bucket = buckets_[Hash(name) % buckets_.size()];
    for (const Entry& e : bucket) {
        if (e.first == name) return &e.second;
    }
    return nullptr;
}

void CTagTable::Set(std::string_view name, std::string_view revision) {
    Bucket& bucket = buckets_[Hash(name) % buckets_.size()];
    for (Entry& e : bucket) {
        if (e.first == name) {
            e.second.assign(revision.data(), revision.size());
            return;
        }
    }
    bucket.insert(bucket.begin(), Entry(std::string(name), std::string(revision)));
    ++count_;
    // 2.25 x buckets, rounded down, without floating point.
    if (count_ > buckets_.size() * 9 / 4) Grow();
}

void CTagTable::Grow() {
    const size_t estimate = count_ * 4 / 3;  // names / 0.75, rounded down
    size_t size = buckets_.size();
    for (size_t i = 0; i < kTagTableSizeCount; ++i) {
        if (kTagTableSizes[i] >= estimate) {
            size = kTagTableSizes[i];
            break;
        }
    }
    // Beyond the last size the table stays as it is and its buckets get longer.
    if (size <= buckets_.size()) return;
    std::vector<Bucket> grown(size);
    for (Bucket& bucket : buckets_) {
        for (Entry& e : bucket) {
            Bucket& target = grown[Hash(e.first) % size];
            target.insert(target.begin(), std::move(e));
        }
    }
    buckets_.swap(grown);
}

std::vector<std::pair<std::string, std::string>> CTagTable::Entries() const {
    std::vector<std::pair<std::string, std::string>> out;
    out.reserve(count_);
    ForEach([&](const std::string& name, const std::string& revision) { out.emplace_back(name, revision); });
    return out;
}
