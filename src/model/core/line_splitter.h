// The line-splitting rules of the extension's line reader, over any byte source. Platform-free: the
// Win32 reader (model/line_reader.h) feeds it from a file handle, tests and fuzzers from memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class LineSplitter {
public:
    static constexpr size_t kBlockSize = 256;

    virtual ~LineSplitter() = default;

    // 0: a line was delivered into `line`; 1: the end had already been reached (nothing delivered);
    // negative: the source failed (its error code). Line ends are LF, CR LF and a CR alone; neither
    // character belongs to the line, and a line stops at its first NUL byte. The last line is delivered
    // even without a line end, so a file that ends with one yields a final empty line.
    int32_t ReadLine(std::string& line);

protected:
    // Reads up to `size` bytes into `buffer`; returns 0 and the count in `got`, or a negative error.
    // A count below `size` marks the last block.
    virtual int32_t ReadBlock(char* buffer, size_t size, size_t& got) = 0;

private:
    int32_t Fill();

    char block_[kBlockSize] = {};
    size_t pos_ = 0;
    size_t count_ = 0;
    bool lastBlock_ = false;  // the block in the buffer was shorter than kBlockSize
    bool end_ = false;
};

// A splitter over bytes in memory (not owned), read in blocks as from a file.
class MemoryLineSplitter : public LineSplitter {
public:
    MemoryLineSplitter(const char* data, size_t size) : data_(data), size_(size) {}
    explicit MemoryLineSplitter(const std::string& text) : MemoryLineSplitter(text.data(), text.size()) {}

protected:
    int32_t ReadBlock(char* buffer, size_t size, size_t& got) override;

private:
    const char* data_;
    size_t size_;
    size_t offset_ = 0;
};
