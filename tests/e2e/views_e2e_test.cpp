// The overlays and columns asked between the real client's steps: each answer is that of the working copy
// as the client has just left it, though the client rewrites CVS/Entries within the same second.
#include "e2e/e2e_support.h"

#include "common/text.h"
#include "com/guids.h"
#include "com/interface_ids.h"
#include "views/core/column_rules.h"

#include <gtest/gtest.h>

#include <oleauto.h>

namespace {

struct Answers {
    bool controlled = false;
    bool modified = false;
    std::string revision;
};

class Views {
public:
    explicit Views(const std::string& folder) {
        controlled_ = e2e::Create<IShellIconOverlayIdentifier>(CLSID_CCVSModifiedIconOverlay);
        modified_ = e2e::Create<IShellIconOverlayIdentifier>(CLSID_CCVSIconOverlay);
        columns_ = e2e::Create<IColumnProvider>(CLSID_CCVSColumnProvider);
        SHCOLUMNINIT init = {};
        ferrow::AnsiToWide(folder).copy(init.wszFolder, MAX_PATH - 1);
        if (columns_) columns_->Initialize(&init);
    }

    Answers Ask(const std::string& file) {
        Answers a;
        const std::wstring path = ferrow::AnsiToWide(file);
        a.controlled = controlled_->IsMemberOf(path.c_str(), 0) == S_OK;
        a.modified = modified_->IsMemberOf(path.c_str(), 0) == S_OK;
        SHCOLUMNID id = {FMTID_SummaryInformation, kPidRevisionNumber};
        SHCOLUMNDATA data = {};
        path.copy(data.wszFile, MAX_PATH - 1);
        VARIANT value;
        ::VariantInit(&value);
        if (columns_->GetItemData(&id, &data, &value) == S_OK && V_VT(&value) == VT_BSTR)
            a.revision = ferrow::WideToAnsi(V_BSTR(&value));
        ::VariantClear(&value);
        return a;
    }

private:
    ferrow::ComPtr<IShellIconOverlayIdentifier> controlled_, modified_;
    ferrow::ComPtr<IColumnProvider> columns_;
};

void Expect(Views& views, const std::string& file, bool controlled, bool modified, const char* revision) {
    const Answers a = views.Ask(file);
    EXPECT_EQ(controlled, a.controlled) << file;
    EXPECT_EQ(modified, a.modified) << file;
    EXPECT_EQ(revision, a.revision) << file;
}

TEST(Views, AnswersFollowTheClientStepByStep) {
    e2e::Sandbox box;
    Views views(box.Wc());
    Expect(views, box / "a.txt", true, false, "1.1.1.1");
    Expect(views, box / "new.txt", false, false, "");

    e2e::EditFile(box / "a.txt", "changed\n");
    Expect(views, box / "a.txt", true, true, "1.1.1.1");
    ASSERT_EQ(0u, e2e::RunCvs(box.Wc(), "-Q commit -m mine a.txt").exitCode);
    Expect(views, box / "a.txt", true, false, "1.2");

    e2e::EditFile(box / "new.txt", "new\n");
    ASSERT_EQ(0u, e2e::RunCvs(box.Wc(), "-Q add new.txt").exitCode);
    Expect(views, box / "new.txt", true, true, "0");
    ASSERT_EQ(0u, e2e::RunCvs(box.Wc(), "-Q commit -m added new.txt").exitCode);
    Expect(views, box / "new.txt", true, false, "1.1");

    // Another user's commit, brought in by an update within the same second as the last answer.
    const std::string other = box.SecondWorkingCopy();
    e2e::EditFile(other + "\\b.txt", "theirs\n");
    ASSERT_EQ(0u, e2e::RunCvs(other, "-Q commit -m theirs b.txt").exitCode);
    Expect(views, box / "b.txt", true, false, "1.1.1.1");
    ASSERT_EQ(0u, e2e::RunCvs(box.Wc(), "-Q update").exitCode);
    Expect(views, box / "b.txt", true, false, "1.2");
    Expect(views, box / "a.txt", true, false, "1.2");

    ::DeleteFileA((box / "c.txt").c_str());
    ASSERT_EQ(0u, e2e::RunCvs(box.Wc(), "-Q remove c.txt").exitCode);
    Expect(views, box / "c.txt", true, true, "1.1.1.1");
    ASSERT_EQ(0u, e2e::RunCvs(box.Wc(), "-Q commit -m gone c.txt").exitCode);
    Expect(views, box / "c.txt", false, false, "");
}

TEST(Views, AfterAnInterruptedCommandTheyAgreeWithTheClient) {
    // The client cannot fold its CVS/Entries.Log into Entries (its Entries.Backup is a folder in the way), as
    // after a command that was interrupted: the changes stand only in the log, which it reads after Entries.
    e2e::Sandbox box;
    Views views(box.Wc());
    ASSERT_TRUE(::CreateDirectoryA((box / "CVS\\Entries.Backup").c_str(), nullptr));
    e2e::EditFile(box / "new.txt", "new\n");
    e2e::RunCvs(box.Wc(), "-Q add new.txt");
    ::DeleteFileA((box / "c.txt").c_str());
    e2e::RunCvs(box.Wc(), "-Q remove c.txt");
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA((box / "CVS\\Entries.Log").c_str()));
    ::Sleep(110);  // a change of the log alone is seen within 100 ms
    Expect(views, box / "new.txt", true, true, "0");
    Expect(views, box / "c.txt", true, true, "1.1.1.1");  // removed: the column drops the "-"
    Expect(views, box / "a.txt", true, false, "1.1.1.1");

    // The next command folds the log into Entries: the same answers.
    ASSERT_TRUE(::RemoveDirectoryA((box / "CVS\\Entries.Backup").c_str()));
    ASSERT_EQ(0u, e2e::RunCvs(box.Wc(), "-Q status new.txt").exitCode);
    ASSERT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA((box / "CVS\\Entries.Log").c_str()));
    Expect(views, box / "new.txt", true, true, "0");
    Expect(views, box / "c.txt", true, true, "1.1.1.1");  // removed: the column drops the "-"
}

}  // namespace
