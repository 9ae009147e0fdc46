#include "model/core/line_splitter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Every line the splitter delivers until it reports the end.
std::vector<std::string> Split(const std::string& bytes) {
    MemoryLineSplitter splitter(bytes);
    std::vector<std::string> lines;
    std::string line;
    int32_t rc;
    while ((rc = splitter.ReadLine(line)) == 0) lines.push_back(line);
    EXPECT_EQ(1, rc);
    EXPECT_EQ(1, splitter.ReadLine(line)) << "the end stays the end";
    return lines;
}

using Lines = std::vector<std::string>;

TEST(LineSplitter, LineEnds) {
    struct Case {
        std::string bytes;
        Lines lines;
    } const cases[] = {
        {"", {""}},
        {"a", {"a"}},
        {"a\n", {"a", ""}},
        {"a\nb", {"a", "b"}},
        {"a\r\nb\r\n", {"a", "b", ""}},
        {"a\n\nb", {"a", "", "b"}},
        {"\n", {"", ""}},
        {"\r\n", {"", ""}},
        // A CR alone ends a line too, and the byte after it begins the next one: nothing is lost.
        {"a\rb\n", {"a", "b", ""}},
        {"a\r\rb", {"a", "", "b"}},
        {"a\r", {"a", ""}},
        // A line stops at its first NUL byte.
        {std::string("ab\0cd\nef", 8), {"ab", "ef"}},
        {std::string("\0\0\0", 3), {""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.bytes));
        EXPECT_EQ(c.lines, Split(c.bytes));
    }
}

TEST(LineSplitter, LinesAcrossBlockBoundaries) {
    // Line ends placed at, before and after each multiple of the block size.
    for (size_t length : {254u, 255u, 256u, 257u, 511u, 512u, 513u, 100000u}) {
        SCOPED_TRACE(length);
        std::string first(length, 'x');
        EXPECT_EQ((Lines{first, "y", ""}), Split(first + "\r\ny\n"));
        EXPECT_EQ((Lines{first}), Split(first));
        EXPECT_EQ((Lines{first, ""}), Split(first + "\n"));
    }
    // CR as the last byte of a block, LF as the first of the next.
    std::string crAtEdge(255, 'a');
    EXPECT_EQ((Lines{crAtEdge, "b"}), Split(crAtEdge + "\r\nb"));
}

class FailingSplitter : public LineSplitter {
public:
    explicit FailingSplitter(int failOnCall) : failOnCall_(failOnCall) {}

protected:
    int32_t ReadBlock(char* buffer, size_t size, size_t& got) override {
        if (++calls_ == failOnCall_) return -5;
        for (size_t i = 0; i < size; ++i) buffer[i] = (i % 10 == 9) ? '\n' : 'z';
        got = size;
        return 0;
    }

private:
    int failOnCall_;
    int calls_ = 0;
};

TEST(LineSplitter, ReadErrorsAreReported) {
    std::string line;
    FailingSplitter first(1);
    EXPECT_EQ(-5, first.ReadLine(line));

    FailingSplitter later(2);
    int32_t rc = 0;
    int lines = 0;
    while ((rc = later.ReadLine(line)) == 0) ++lines;
    EXPECT_EQ(-5, rc);
    EXPECT_EQ(25, lines) << "the whole lines of the first block come first";
}

}  // namespace
