#include "model/core/line_splitter.h"

#include <algorithm>
#include <cstring>

int32_t LineSplitter::Fill() {
    size_t got = 0;
    int32_t rc = ReadBlock(block_, kBlockSize, got);
    if (rc < 0) return rc;
    pos_ = 0;
    count_ = std::min(got, kBlockSize);
    lastBlock_ = count_ < kBlockSize;
    return 0;
}

int32_t LineSplitter::ReadLine(std::string& line) {
    line.clear();
    if (end_) return 1;
    bool afterCR = false;
    for (;;) {
        if (pos_ == count_) {
            if (lastBlock_) break;  // no more data: deliver what there is
            int32_t rc = Fill();
            if (rc < 0) return rc;
            if (count_ == 0) break;
        }
        char c = block_[pos_];
        if (afterCR) {
            // A CR ends the line; an LF right after it belongs to the same line end. Any other byte begins
            // the next line, so nothing is lost.
            if (c == '\n') ++pos_;
            return 0;
        }
        ++pos_;
        if (c == '\n') {
            line.resize(std::strlen(line.c_str()));
            return 0;
        }
        if (c == '\r') {
            line.resize(std::strlen(line.c_str()));
            afterCR = true;
            continue;
        }
        line.push_back(c);
    }
    line.resize(std::strlen(line.c_str()));
    if (afterCR) {
        // The CR was the last byte: it ended this line, and an empty last line follows on the next call.
        return 0;
    }
    end_ = true;
    return 0;
}

int32_t MemoryLineSplitter::ReadBlock(char* buffer, size_t size, size_t& got) {
    got = std::min(size, size_ - offset_);
    if (got) std::memcpy(buffer, data_ + offset_, got);
    offset_ += got;
    return 0;
}
