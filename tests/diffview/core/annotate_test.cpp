#include "diffview/core/annotate.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

namespace {

std::string ReadData(const char* name) {
    std::ifstream in(std::string(FERROW_TEST_DATA) + "/annotate/" + name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Output recorded from the client: a branch revision, an author of another user, dates of three years, a
// line holding "): " itself, an empty line, a tab and a CR that belongs to the file's text.
TEST(ParseAnnotate, RecordedOutputOfTheClient) {
    const std::string output = ReadData("branch.txt");
    ASSERT_FALSE(output.empty());
    const std::vector<diffview::AnnotatedLine> lines = diffview::ParseAnnotate(output);
    ASSERT_EQ(7u, lines.size());
    struct Expected {
        const char* revision;
        const char* author;
        const char* date;
        const char* text;
    } const expected[] = {
        {"1.3", "root", "09-Dec-26", "zero \xC3\xA4"},
        {"1.1", "root", "01-Mar-19", "alpha"},
        {"1.2", "root", "30-Jun-25", "beta changed"},
        {"1.3.2.1", "nobody", "09-Dec-26", "gamma on the branch"},
        {"1.2", "root", "30-Jun-25", "delta: (x): y"},
        {"1.3.2.1", "nobody", "09-Dec-26", ""},
        {"1.3.2.1", "nobody", "09-Dec-26", "\tindented\r"},
    };
    for (size_t i = 0; i < lines.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(expected[i].revision, lines[i].revision);
        EXPECT_EQ(expected[i].author, lines[i].author);
        EXPECT_EQ(expected[i].date, lines[i].date);
        EXPECT_EQ(expected[i].text, lines[i].text);
    }
    // Oldest 1.1 (2019), then 1.2 (2025), then 1.3 and 1.3.2.1 of one day ordered by revision.
    EXPECT_EQ((std::vector<int>{66, 0, 33, 100, 33, 100, 100}), diffview::AgePercent(lines));
    // The same output with the Windows client's CR LF line ends gives the same lines.
    std::string crlf;
    for (char c : output) {
        if (c == '\n') crlf += '\r';
        crlf += c;
    }
    const std::vector<diffview::AnnotatedLine> again = diffview::ParseAnnotate(crlf);
    ASSERT_EQ(lines.size(), again.size());
    EXPECT_EQ("\tindented\r", again[6].text);
}

TEST(ParseAnnotateLine, RefusesWhatIsNotALine) {
    const char* const refused[] = {
        "",
        "Annotations for main.c",
        "***************",
        "1.1 (root 09-Dec-26) no colon",
        "1.x          (root     09-Dec-26): text",
        "1..2         (root     09-Dec-26): text",
        "1.1          (root     31-Foo-26): text",
        "1.1          (         09-Dec-26): text",
        "1.1          (root     09-Dec-2): text",
    };
    for (const char* line : refused) {
        SCOPED_TRACE(line);
        diffview::AnnotatedLine parsed;
        EXPECT_FALSE(diffview::ParseAnnotateLine(line, parsed));
    }
    EXPECT_EQ(19990131, diffview::DateNumber("31-Jan-99"));
    EXPECT_EQ(20690101, diffview::DateNumber("01-Jan-69"));
}

}  // namespace
