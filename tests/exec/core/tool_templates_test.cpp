#include "exec/core/tool_templates.h"

#include <gtest/gtest.h>

namespace {

TEST(BuildFetchTemplate, RevisionInPlaceTargetAppended) {
    EXPECT_EQ("$(CVS) -q update -p -r 1.5 $(Names) > C:\\Temp\\main.c_1.5",
              tools::BuildFetchTemplate("1.5", "C:\\Temp\\main.c_1.5"));
    EXPECT_EQ("$(CVS) -q update -p -r 1.2.2.1 $(Names) > \"C:\\My Temp\\a b.c_1.2.2.1\"",
              tools::BuildFetchTemplate("1.2.2.1", "\"C:\\My Temp\\a b.c_1.2.2.1\""));
}

TEST(BuildToolCommands, EveryOccurrenceReplaced) {
    struct Case {
        const char* templ;
        const char* result;
    } const cases[] = {
        {"windiff $(OldFile) $(NewFile)", "windiff old new"},
        {"diff $(NewFile) $(OldFile) $(OldFile)", "diff new old old"},
        {"diff $(oldfile)", "diff $(oldfile)"},  // case-sensitive
        {"", ""},
        {"meld", "meld"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.templ);
        EXPECT_EQ(c.result, tools::BuildDiffCommand(c.templ, "old", "new"));
    }
    EXPECT_EQ("notepad \"C:\\a b\\x_1.1\" \"C:\\a b\\x_1.1\"",
              tools::BuildViewCommand("notepad $(File) $(File)", "\"C:\\a b\\x_1.1\""));
    // A quoted name holding a variable is not searched again.
    EXPECT_EQ("v $(File)", tools::BuildViewCommand("v $(File)", "$(File)"));
}

TEST(RevisionFileName, TempFolderFileAndRevision) {
    EXPECT_EQ("C:\\Temp\\main.c_1.5", tools::RevisionFileName("C:\\Temp\\", "main.c", "1.5"));
    EXPECT_EQ("C:\\T\\a b.txt_1.2.2.1", tools::RevisionFileName("C:\\T\\", "a b.txt", "1.2.2.1"));
}

}  // namespace
