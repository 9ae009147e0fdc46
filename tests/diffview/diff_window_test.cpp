// The viewer and annotate windows as a user meets them: opened on real files (and on the stand-in
// client's annotate output), their rows read back through the list control, then closed. No pixels.
#include "diffview/annotate_window.h"
#include "diffview/diff_document.h"
#include "diffview/diff_window.h"
#include "diffview/patch.h"
#include "exec/exec_support.h"
#include "resources/resource.h"
#include "support/window_driver.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using testing_support::WindowDriver;

// Every row of a list control as its cells joined with "|".
std::vector<std::wstring> ReadRows(HWND list) {
    const HWND header = reinterpret_cast<HWND>(::SendMessageW(list, LVM_GETHEADER, 0, 0));
    const int columns = static_cast<int>(::SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
    const int count = static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    std::vector<std::wstring> rows;
    for (int i = 0; i < count; ++i) {
        std::wstring row;
        for (int c = 0; c < columns; ++c) {
            wchar_t text[256] = {};
            LVITEMW item = {};
            item.iSubItem = c;
            item.pszText = text;
            item.cchTextMax = 256;
            ::SendMessageW(list, LVM_GETITEMTEXTW, i, reinterpret_cast<LPARAM>(&item));
            if (c) row += L"|";
            row += text;
        }
        rows.push_back(row);
    }
    return rows;
}

int FocusedRow(HWND list) {
    return static_cast<int>(::SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
}

std::wstring Text(HWND window) {
    wchar_t text[512] = {};
    ::GetWindowTextW(window, text, 512);
    return text;
}

// Two versions in different encodings and line ends: the rows pair the lines, tabs are shown as spaces,
// the captions tell the encodings, the title both versions, and next/previous walk the changes.
TEST(DiffWindow, ShowsTwoFilesSideBySide) {
    exec_test::TempFolder folder("diffview");
    const std::string oldFile = folder / "old.txt", newFile = folder / "new.txt";
    exec_test::WriteTextFile(oldFile, "\xEF\xBB\xBFone\r\ntwo\r\nthree\r\n\tfour\r\nfive\r\nsix\r\n");
    exec_test::WriteTextFile(newFile, "one\ntwo 2\nthree\n\tfour\nfive\ngr\xFC\xDF\nseven");
    std::vector<std::wstring> rows;
    std::wstring title, leftCaption, rightCaption;
    std::vector<int> walk;
    WindowDriver driver("Ferrow Diff", [&](HWND window) {
        const HWND list = ::GetDlgItem(window, IDC_DIFF_LIST);
        rows = ReadRows(list);
        title = Text(window);
        leftCaption = Text(::GetDlgItem(window, IDC_DIFF_LEFT_CAPTION));
        rightCaption = Text(::GetDlgItem(window, IDC_DIFF_RIGHT_CAPTION));
        walk.push_back(FocusedRow(list));  // the first change is selected when the window opens
        ::SendMessageW(window, WM_COMMAND, IDC_DIFF_NEXT, 0);
        walk.push_back(FocusedRow(list));
        ::SendMessageW(window, WM_COMMAND, IDC_DIFF_NEXT, 0);  // none after the last: stays
        walk.push_back(FocusedRow(list));
        ::SendMessageW(window, WM_COMMAND, IDC_DIFF_PREVIOUS, 0);
        walk.push_back(FocusedRow(list));
        ::PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
    });
    diffview::DiffRequest request;
    request.oldFile = oldFile;
    request.newFile = newFile;
    request.oldCaption = "Revision 1.4";
    request.newCaption = "Working copy";
    request.title = "notes.txt";
    EXPECT_EQ(S_OK, diffview::ShowDiffWindow(nullptr, request));
    ASSERT_TRUE(driver.Found());
    const std::vector<std::wstring> expected = {
        L"1|one|1|one",
        L"2|two|2|two 2",
        L"3|three|3|three",
        L"4|    four|4|    four",
        L"5|five|5|five",
        L"6|six|6|gr\u00FC\u00DF",  // the new file is not UTF-8: the ANSI code page (1252 here)
        L"||7|seven",
    };
    EXPECT_EQ(expected, rows);
    EXPECT_NE(std::wstring::npos, title.find(L"notes.txt: Revision 1.4 / Working copy")) << title;
    EXPECT_NE(std::wstring::npos, leftCaption.find(L"UTF-8 with BOM, CR LF")) << leftCaption;
    EXPECT_NE(std::wstring::npos, rightCaption.find(L"ANSI, LF, no line end at the end")) << rightCaption;
    EXPECT_EQ((std::vector<int>{1, 5, 5, 1}), walk);
}

// A binary file is refused with a message naming it; no window opens.
TEST(DiffWindow, RefusesABinaryFile) {
    exec_test::TempFolder folder("diffview");
    const std::string text = folder / "a.txt", binary = folder / "logo.gif";
    exec_test::WriteTextFile(text, "text\n");
    exec_test::WriteTextFile(binary, std::string("GIF89a\0\x01\x02", 9));
    std::string message;
    WindowDriver driver("Ferrow Diff", [&](HWND box) {
        message = testing_support::MessageBoxText(box);
        ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    });
    diffview::DiffRequest request;
    request.oldFile = text;
    request.newFile = binary;
    EXPECT_EQ(diffview::kBinaryFile, diffview::ShowDiffWindow(nullptr, request));
    ASSERT_TRUE(driver.Found());
    EXPECT_NE(std::string::npos, message.find("binary")) << message;
    EXPECT_NE(std::string::npos, message.find(binary)) << message;
}

// Annotate through the client (the stand-in answers with output recorded from the real client): the
// command line, and every line with its revision, author, date and text.
TEST(AnnotateWindow, ShowsTheClientsAnnotation) {
    exec_test::TempFolder scratch("annotate");
    exec_test::StubClient stub{scratch};
    const std::string wc = scratch / "wc";
    exec_test::MakeWorkingFolder(wc, {"main.c"});
    stub.Env().Set("CVSSTUB_STDOUT",
                   "1.3          (root     09-Dec-26): zero\\n"
                   "1.1          (root     01-Mar-19): alpha\\n"
                   "1.3.2.1      (nobody   09-Dec-26): \\tindented\\n");
    std::vector<std::wstring> rows;
    std::wstring title;
    WindowDriver driver("Annotate", [&](HWND window) {
        rows = ReadRows(::GetDlgItem(window, IDC_ANNOTATE_LIST));
        title = Text(window);
        ::PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(S_OK, diffview::ShowAnnotateWindow(nullptr, wc + "\\main.c", "1.3.2.1"));
    ASSERT_TRUE(driver.Found());
    const std::vector<std::wstring> expected = {
        L"1|1.3|root|09-Dec-26|zero",
        L"2|1.1|root|01-Mar-19|alpha",
        L"3|1.3.2.1|nobody|09-Dec-26|    indented",
    };
    EXPECT_EQ(expected, rows);
    EXPECT_EQ(L"main.c 1.3.2.1 - Annotate", title);
    const std::vector<exec_test::StubCall> calls = stub.Calls();
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ(wc, calls[0].folder);
    EXPECT_EQ(0u, calls[0].arguments.find("annotate -r 1.3.2.1 ")) << calls[0].arguments;
    EXPECT_NE(std::string::npos, calls[0].arguments.find(" main.c")) << calls[0].arguments;
}

// "Save as patch" without the dialog: each folder's diff appended to one file, the client's exit code 1
// (differences found) no failure; no output at all leaves no file.
TEST(WritePatch, AppendsEachFoldersDiff) {
    exec_test::TempFolder scratch("patch");
    exec_test::StubClient stub{scratch};
    const std::string wc = scratch / "wc";
    exec_test::MakeWorkingFolder(wc, {"a.c"}, {"sub"});
    exec_test::WriteTextFile(wc + "\\sub\\b.c", "b\n");
    stub.Env().Set("CVSSTUB_STDOUT", "--- {args}\\n");
    stub.Env().Set("CVSSTUB_EXIT", "1");
    const std::string patch = scratch / "out.patch";
    EXPECT_EQ(S_OK, diffview::WritePatch({wc + "\\a.c", wc + "\\sub"}, "-r 1.1", patch));
    const std::string text = exec_test::ReadTextFile(patch);
    EXPECT_EQ(0u, text.find("--- -q diff -u -r 1.1 ")) << text;
    EXPECT_NE(std::string::npos, text.find(" a.c sub")) << text;

    stub.Env().Set("CVSSTUB_STDOUT", "");
    stub.Env().Set("CVSSTUB_EXIT", "0");
    EXPECT_EQ(S_FALSE, diffview::WritePatch({wc + "\\a.c"}, "", patch));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA(patch.c_str()));
}

}  // namespace
