// The dialogs of repository access. Each is modal on the program's main thread; a field the client would
// misread is refused with its reason before the dialog closes, so that nothing runs with it.
#pragma once

#include "common/dialog.h"
#include "repo/core/cvs_root.h"
#include "resources/resource.h"

#include <windows.h>

#include <string>

namespace repo {

// The text that explains a refused root or request.
std::string RootErrorText(RootError error);
std::string RequestErrorText(const Checked& checked);

// Asks for the user and the password of a :pserver: root and stores the password (checked by the server
// first). For another method it says what that method needs instead. True when a password was stored;
// `rootText` then names the user (put in when the root had none).
bool LogIn(HWND owner, std::string& rootText);

class CLoginDlg : public ferrow::CDialog {
public:
    CLoginDlg() : CDialog(IDD_LOGIN) {}
    ~CLoginDlg() override;
    std::string root;      // in: shown, read-only
    std::string user;      // in and out
    std::string password;  // out, after IDOK; wiped by the destructor

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(WORD id, WORD code) override;
};

class CCheckoutDlg : public ferrow::CDialog {
public:
    CCheckoutDlg() : CDialog(IDD_CHECKOUT) {}
    std::string folder;       // in: the folder the checkout goes into
    CheckoutRequest request;  // in (initial values) and out
    Checked checked;          // out, after IDOK: the client's arguments

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(WORD id, WORD code) override;

private:
    void EnableRevisionFields();
    CheckoutRequest ReadFields() const;
};

class CImportDlg : public ferrow::CDialog {
public:
    CImportDlg() : CDialog(IDD_IMPORT) {}
    ImportRequest request;  // in (initial values) and out
    Checked checked;        // out, after IDOK

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(WORD id, WORD code) override;
};

}  // namespace repo
