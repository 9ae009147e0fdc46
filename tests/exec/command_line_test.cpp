#include "exec/command_line.h"
#include "exec/exec_support.h"
#include "exec/process_runner.h"
#include "exec/progress_dialog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using exec_test::MakeWorkingFolder;
using exec_test::StubCall;
using exec_test::StubPath;
using exec_test::TempFolder;
using exec_test::WriteTextFile;

namespace {

struct RunRecord {
    std::string directory;
    std::string command;
    bool operator==(const RunRecord& o) const { return directory == o.directory && command == o.command; }
};

void PrintTo(const RunRecord& r, std::ostream* os) { *os << "{" << r.directory << " | " << r.command << "}"; }

// Records the runs and answers with the given results in turn (S_OK when they run out).
struct Recorder {
    std::vector<RunRecord> runs;
    std::vector<HRESULT> results;
    CommandRunner Runner() {
        return [this](const std::string& d, const std::string& c) {
            runs.push_back({d, c});
            return runs.size() <= results.size() ? results[runs.size() - 1] : S_OK;
        };
    }
};

TEST(CommandLine, QuoteArgumentUsesTheOneRule) {
    EXPECT_EQ("\"\"", QuoteArgument(""));
    EXPECT_EQ("abc", QuoteArgument("abc"));
    EXPECT_EQ("\"a b\"", QuoteArgument("a b"));
    EXPECT_EQ("\"say 'hi'\"", QuoteArgument("say \"hi\""));
    EXPECT_EQ("\"x=1\"", QuoteArgument("x=1"));
    EXPECT_EQ("a\\b", QuoteArgument("a\\b"));
    // Beside the interpreter a percent sign needs nothing.
    EXPECT_EQ("50%", QuoteProgramArgument("50%"));
    EXPECT_EQ("\"a b%\"", QuoteProgramArgument("a b%"));
}

// Through the command interpreter to the stand-in: a tag name or message and a file name reach the client
// as typed (a double quote as an apostrophe, the quoting rule), never expanded, and never cut.
TEST(CommandLine, UserTextReachesTheClientAsTyped) {
    TempFolder root;
    exec_test::StubClient stub(root);
    stub.Env().Set("FERROW_DEFINED", "expanded");
    stub.Env().Set("USERNAME", "someone");
    const std::string wc = root / "work";
    const char* const texts[] = {
        "speed up %USERNAME% by 50%", "%PATH%", "%FERROW_DEFINED%", "50%", "%%", "a%%FERROW_DEFINED%%b",
        "ends in %",  "dir\\%FERROW_DEFINED%\\", "x^y", "^%FERROW_DEFINED%^", "wow!", "!FERROW_DEFINED!",
        "say \"hi\" & echo %FERROW_DEFINED% > x", "\"%FERROW_DEFINED%\"", "a \"b\" c % d | e",
    };
    std::vector<std::string> files;
    for (const std::string text : texts) {
        if (text.find_first_of("\"\\|<>") == std::string::npos) files.push_back(text + ".txt");
    }
    MakeWorkingFolder(wc, files);
    for (const std::string text : texts) {
        SCOPED_TRACE(text);
        ASSERT_EQ(S_OK, ExecuteTemplate(nullptr, "$(CVS) tag " + QuoteArgument(text) + " $(Names)", {wc + "\\plain.c"}));
    }
    for (const std::string& file : files) {
        SCOPED_TRACE(file);
        ASSERT_EQ(S_OK, ExecuteTemplate(nullptr, "$(CVS) add $(Names)", {wc + "\\" + file}));
    }
    const std::vector<std::string> calls = stub.SplitArguments();
    ASSERT_EQ(std::size(texts) + files.size(), calls.size());
    for (size_t i = 0; i < std::size(texts); ++i) {
        std::string typed = texts[i];
        for (char& c : typed)
            if (c == '"') c = '\'';
        EXPECT_EQ("[tag][" + typed + "][plain.c]", calls[i]);
    }
    for (size_t i = 0; i < files.size(); ++i) EXPECT_EQ("[add][" + files[i] + "]", calls[std::size(texts) + i]);
}

std::string Interpreter() {
    std::string comspec;
    EXPECT_TRUE(GetInterpreter(comspec));
    return comspec;
}

// Through the real interpreter: a client path in quotes (it has a blank) starts with all its arguments,
// also when the line ends in a quoted name; a name holding a variable reaches the client as it is; an
// unquoted client's line stays exactly as composed.
TEST(CommandLine, ClientAndNamesReachTheClientAsTheyAre) {
    TempFolder root;
    exec_test::StubClient stub(root);
    const std::string folder = root / "Program Files\\CVS stub";
    ::CreateDirectoryA((root / "Program Files").c_str(), nullptr);
    ::CreateDirectoryA(folder.c_str(), nullptr);
    const std::string copy = folder + "\\cvsstub.exe";
    ASSERT_TRUE(::CopyFileA(StubPath().c_str(), copy.c_str(), FALSE));
    const std::string wc = root / "work";
    MakeWorkingFolder(wc, {"a.c", "a b.c", "$(CVS).txt"});
    const struct {
        const char* what;
        std::string client;
        const char* file;
        std::string line;  // as the frame hears it
        const char* arguments;
    } cases[] = {
        {"quoted client path", "\"" + copy + "\"", "a.c", "\"" + copy + "\" add  a.c", "[add][a.c]"},
        {"quoted client and a quoted name last", "\"" + copy + "\"", "a b.c", "\"" + copy + "\" add  \"a b.c\"",
         "[add][a b.c]"},
        {"a name holding the client's variable", StubPath(), "$(CVS).txt", StubPath() + " add  \"$(CVS).txt\"",
         "[add][$(CVS).txt]"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(testing_support::SetRawValue("Software\\Pembrake\\Ferrow\\Tools", "Cvs", REG_SZ, c.client.c_str(),
                                                 static_cast<DWORD>(c.client.size() + 1)));
        exec_test::CaptureFrame frame(nullptr);
        const size_t before = stub.SplitArguments().size();
        EXPECT_EQ(S_OK, ExecuteTemplate(&frame, "$(CVS) add $(Names)", {wc + "\\" + c.file}));
        EXPECT_EQ(std::vector<std::string>{c.line}, frame.lines);
        const std::vector<std::string> calls = stub.SplitArguments();
        ASSERT_EQ(before + 1, calls.size());
        EXPECT_EQ(c.arguments, calls.back());
    }
}

// Big selections of one folder: as many runs as needed, every name once and in order, no command line
// the interpreter receives over 8191 characters (measured with the stand-in in the interpreter's place),
// the first failing run the last.
TEST(CommandLine, BigSelectionsRunInLinesThatFit) {
    const struct {
        const char* what;
        size_t count;
        bool standInInterpreter;
        int exitCode;
        HRESULT result;
    } cases[] = {
        {"700 names through the interpreter", 700, false, 0, S_OK},
        {"3,000 names, the lines the interpreter receives", 3000, true, 0, S_OK},
        {"3,000 names, the first run fails", 3000, false, 1, E_FAIL},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder root;
        exec_test::StubClient stub(root);
        stub.Exit(c.exitCode);
        const std::string interpreter = c.standInInterpreter ? StubPath() : Interpreter();
        if (c.standInInterpreter) stub.Env().Set("COMSPEC", interpreter);
        const std::string wc = root / "work";
        MakeWorkingFolder(wc, {});
        Selection selection;
        std::vector<std::string> names;
        for (size_t i = 0; i < c.count; ++i) {
            names.push_back((i % 7 ? "file-" : "a b ") + std::to_string(i) + "-of-some-length.c");
            selection.push_back(wc + "\\" + names.back());  // names only: nothing reads the files
        }
        EXPECT_EQ(c.result, ExecuteTemplate(nullptr, "$(CVS) add $(Names)", selection));

        const std::vector<StubCall> calls = stub.Calls();
        const std::vector<std::string> split = stub.SplitArguments();
        ASSERT_EQ(calls.size(), split.size());
        if (FAILED(c.result)) {
            EXPECT_EQ(1u, calls.size());
            continue;
        }
        EXPECT_GT(calls.size(), c.count / 400);
        std::vector<std::string> arrived;
        for (size_t i = 0; i < calls.size(); ++i) {
            // The stand-in in the interpreter's place sees "/S /C <client> add  <names>".
            const std::string received = c.standInInterpreter
                                             ? interpreter + " " + calls[i].arguments
                                             : interpreter + " /S /C " + StubPath() + " " + calls[i].arguments;
            EXPECT_LE(received.size(), cmdline::kMaxInterpreterLine) << i;
            std::vector<std::string> arguments = testing_support::CallArguments(split[i]);
            const size_t skip = c.standInInterpreter ? 4 : 1;  // [/S][/C][client][add] or [add]
            ASSERT_GT(arguments.size(), skip);
            EXPECT_EQ("add", arguments[skip - 1]);
            arrived.insert(arrived.end(), arguments.begin() + skip, arguments.end());
        }
        EXPECT_EQ(names, arrived);
    }
}

TEST(CommandLine, CommonDirectory) {
    TempFolder work;
    ::CreateDirectoryA((work / "sub").c_str(), nullptr);
    ::CreateDirectoryA((work / "src").c_str(), nullptr);
    const struct {
        const char* what;
        Selection selection;
        bool found;
        std::string directory;
    } cases[] = {
        {"one file", {work / "a.txt"}, true, work.Path()},
        {"a selected folder gives its parent", {work / "sub"}, true, work.Path()},
        {"file on a drive root", {"C:\\a.txt"}, true, "C:\\"},
        {"two files", {work / "x.c", work / "y.c"}, true, work.Path()},
        {"two sub-folders", {work / "src\\a.c", work / "sub\\b.txt"}, true, work.Path()},
        {"a folder and a file in it", {work / "sub", work / "sub\\x"}, true, work / "sub"},
        {"two drives", {work / "a.c", "Z:\\tmp\\b.c"}, false, ""},
        {"parent does not exist", {work / "gone\\a.c"}, false, ""},
        {"the same file twice", {work / "a.c", work / "a.c"}, false, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::string directory = "marker";
        EXPECT_EQ(c.found, GetCommonDirectory(c.selection, directory));
        EXPECT_EQ(c.found ? c.directory : std::string("marker"), directory);
    }
}

TEST(CommandLine, RelativeNames) {
    TempFolder work;
    ::CreateDirectoryA((work / "sub").c_str(), nullptr);
    std::vector<std::string> names;
    ASSERT_TRUE(GetRelativeNames(work.Path(), {work / "a.c", work / "sub\\b.c", work / "sub", work.Path()}, names));
    EXPECT_EQ((std::vector<std::string>{"a.c", "sub\\b.c", "sub", "."}), names);
}

TEST(CommandLine, OneRunInAControlledCommonFolder) {
    testing_support::SettingsGuard settings;  // the default client, "cvs"
    TempFolder root;
    const std::string wc = root / "work";
    MakeWorkingFolder(wc, {"a b.txt", "x.c", "y.c"}, {"src", "doc"});
    const struct {
        const char* what;
        std::string commandTemplate;
        Selection selection;
        RunRecord run;
    } cases[] = {
        {"two spaces before the first name", "$(CVS) add $(Names)", {wc + "\\a b.txt"},
         {wc, "cvs add  \"a b.txt\""}},
        {"two files", "$(CVS) -q update -d -P $(Names)", {wc + "\\x.c", wc + "\\y.c"},
         {wc, "cvs -q update -d -P  x.c y.c"}},
        {"files from two sub-folders", "$(CVS) add $(Names)", {wc + "\\src\\a.c", wc + "\\doc\\b.txt"},
         {wc, "cvs add  src\\a.c doc\\b.txt"}},
        {"every occurrence", "$(Names)|$(Names)|$(names)", {wc + "\\x.c"}, {wc, " x.c| x.c|$(names)"}},
        {"no variable", "$(CVS) -q update", {wc + "\\x.c"}, {wc, "cvs -q update"}},
        {"a message that holds $(Names)", "$(CVS) commit -m \"see $(Names)\" $(Names)", {wc + "\\x.c"},
         {wc, "cvs commit -m \"see  x.c\"  x.c"}},
        {"a controlled folder names its working copy", "$(CVS) update $(Names)", {wc + "\\src"},
         {wc, "cvs update  src"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Recorder recorder;
        EXPECT_EQ(S_OK, ExecuteTemplate(c.commandTemplate, c.selection, {}, recorder.Runner()));
        EXPECT_EQ(std::vector<RunRecord>{c.run}, recorder.runs);
    }
    // The result of the one run is passed on.
    Recorder failing;
    failing.results = {E_FAIL};
    EXPECT_EQ(E_FAIL, ExecuteTemplate("$(CVS) add $(Names)", {wc + "\\x.c"}, {}, failing.Runner()));
}

TEST(CommandLine, PerFolderRunsWithDotStopAtTheFirstFailure) {
    testing_support::SettingsGuard settings;
    TempFolder root;  // not under version control
    MakeWorkingFolder(root / "one", {"a.c"});
    MakeWorkingFolder(root / "two", {"b.c"});
    WriteTextFile(root / "loose.txt", "x");
    const Selection selection = {root / "one", root / "loose.txt", root / "two"};

    Recorder recorder;
    EXPECT_EQ(S_OK, ExecuteTemplate("$(CVS) -q update -d -P $(Names)", selection, {}, recorder.Runner()));
    EXPECT_EQ((std::vector<RunRecord>{{root / "one", "cvs -q update -d -P ."},
                                {root / "two", "cvs -q update -d -P ."}}),
              recorder.runs);

    Recorder failing;
    failing.results = {HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)};
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND),
              ExecuteTemplate("$(CVS) -q update -d -P $(Names)", selection, {}, failing.Runner()));
    EXPECT_EQ(1u, failing.runs.size());
}

TEST(CommandLine, NothingRunsWithoutAWorkingCopyOrCommonFolder) {
    TempFolder root;
    WriteTextFile(root / "a.c", "x");
    WriteTextFile(root / "b.c", "x");
    MakeWorkingFolder(root / "wc", {"c.c"});
    const struct {
        const char* what;
        Selection selection;
    } cases[] = {
        {"files outside a working copy", {root / "a.c", root / "b.c"}},
        {"items on two drives", {root / "wc\\c.c", "Z:\\tmp"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Recorder recorder;
        EXPECT_EQ(S_OK, ExecuteTemplate("$(CVS) add $(Names)", c.selection, {}, recorder.Runner()));
        EXPECT_TRUE(recorder.runs.empty());
    }
    Recorder recorder;
    EXPECT_EQ(E_INVALIDARG, ExecuteTemplate("$(CVS) add $(Names)", {}, {}, recorder.Runner()));
    EXPECT_TRUE(recorder.runs.empty());
}

}  // namespace
