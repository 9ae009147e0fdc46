#include "exec/core/tool_templates.h"

#include <gtest/gtest.h>

namespace {

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
    EXPECT_EQ("d $(NewFile) n", tools::BuildDiffCommand("d $(OldFile) $(NewFile)", "$(NewFile)", "n"));
}

TEST(RevisionFileName, TempFolderFileAndRevision) {
    EXPECT_EQ("C:\\Temp\\main.c_1.5", tools::RevisionFileName("C:\\Temp\\", "main.c", "1.5"));
    EXPECT_EQ("C:\\T\\a b.txt_1.2.2.1", tools::RevisionFileName("C:\\T\\", "a b.txt", "1.2.2.1"));
}

}  // namespace

namespace {

// Which Diff settings choose Ferrow's own viewer, and the program that the PATH lookup of the default asks
// for.
TEST(TemplateProgram, ProgramOfATemplateAndTheBuiltInViewer) {
    struct Case {
        const char* templ;
        const char* program;
        bool builtIn;
    } const cases[] = {
        {"windiff $(OldFile) $(NewFile)", "windiff", false},
        {"  \"C:\\Program Files\\Differ\\d.exe\" $(OldFile)", "C:\\Program Files\\Differ\\d.exe", false},
        {"\"unclosed", "unclosed", false},
        {"", "", false},
        {"ferrow", "ferrow", true},
        {"Ferrow.EXE $(OldFile) $(NewFile)", "Ferrow.EXE", true},
        {"\"ferrow\"", "ferrow", true},
        {"C:\\tools\\ferrow.exe", "C:\\tools\\ferrow.exe", false},  // a program of that name elsewhere
        {"ferrowdiff", "ferrowdiff", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.templ);
        EXPECT_EQ(c.program, tools::TemplateProgram(c.templ));
        EXPECT_EQ(c.builtIn, tools::NamesBuiltInViewer(c.templ));
    }
}

}  // namespace
