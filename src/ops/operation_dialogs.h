// The three dialogs that gather the arguments of Commit, Tag and Custom command (ops/operation.h shows them).
// The caller sets the input members, runs the dialog modally, and reads the output members only after IDOK. Each dialog keeps a
// recent-entries list under HKCU\Software\Pembrake\Ferrow\MRU, loaded when the dialog opens and saved on OK.
#pragma once

#include "common/dialog.h"
#include "resources/resource.h"
#include "settings/mru_list.h"

#include <string>

namespace ops {

class CCommitDlg : public ferrow::CDialog {
public:
    CCommitDlg();

    HWND centreOn = nullptr;   // in: the window to centre on (the owner when null; may be another process's)

    std::string message;       // in: initial message; out: the confirmed message as one line
    settings::CMRUList recentMessages;  // "LogMessage"
    size_t itemCount = 0;      // in: number of selected items
    std::string path;          // in: first selected path
    std::string revisionText;  // shown for a single file
    std::string tagText;

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(WORD id, WORD code) override;
};

class CTagDlg : public ferrow::CDialog {
public:
    CTagDlg();

    HWND centreOn = nullptr;   // in: the window to centre on (the owner when null; may be another process's)

    std::string tagName;   // in and out
    settings::CMRUList recentTags;  // "Tag"
    bool branchFlag = false;
    bool checkFlag = false;
    bool moveFlag = false;
    size_t itemCount = 0;
    std::string path;
    std::string revisionText;
    std::string tagText;

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(WORD id, WORD code) override;
};

class CCustomCmdDlg : public ferrow::CDialog {
public:
    CCustomCmdDlg();

    HWND centreOn = nullptr;   // in: the window to centre on (the owner when null; may be another process's)

    std::string commandLine;     // in and out, line breaks kept
    settings::CMRUList recentCommandLines;  // "CustomCommand"

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(WORD id, WORD code) override;
};

}  // namespace ops
