#include "repo/repo_dialogs.h"

#include "common/core/replace_all.h"
#include "common/module_instance.h"
#include "repo/client_run.h"
#include "repo/core/password_file.h"
#include "repo/password_store.h"
#include "resources/resource.h"
#include "settings/mru_list.h"
#include "settings/settings_store.h"

#include <shlwapi.h>

namespace repo {

namespace {

settings::CMRUList RecentRoots() {
    return settings::CMRUList(HKEY_CURRENT_USER, settings::kMRUKey, settings::kMRURepository, settings::kMRUCapacity);
}

void FillList(HWND list, const settings::CMRUList& entries) {
    for (const std::string& entry : entries) {
        ::SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
    }
}

void Remember(settings::CMRUList& recent, const std::string& entry) {
    if (entry.empty()) return;
    recent.Add(entry);
    recent.Save();
}

// The combobox's text, the chosen entry when the user just picked one from its list.
std::string ComboText(HWND dialog, int id, WORD code) {
    HWND combo = ::GetDlgItem(dialog, id);
    if (code == CBN_SELCHANGE) {
        const LRESULT index = ::SendMessageA(combo, CB_GETCURSEL, 0, 0);
        const LRESULT length = index == CB_ERR ? CB_ERR : ::SendMessageA(combo, CB_GETLBTEXTLEN, index, 0);
        if (length != CB_ERR) {
            std::string text(static_cast<size_t>(length) + 1, '\0');
            const LRESULT got = ::SendMessageA(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(&text[0]));
            if (got != CB_ERR) {
                text.resize(static_cast<size_t>(got));
                return text;
            }
        }
    }
    const int length = ::GetWindowTextLengthA(combo);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    text.resize(static_cast<size_t>(::GetWindowTextA(combo, &text[0], length + 1)));
    return text;
}

void Refuse(HWND dialog, const std::string& text, int focus) {
    ::MessageBoxA(dialog, text.c_str(), ferrow::LoadResString(IDS_REPO_CAPTION).c_str(), MB_ICONWARNING);
    if (HWND item = ::GetDlgItem(dialog, focus)) ::SetFocus(item);
}

int FieldOf(RequestError error) {
    switch (error) {
    case RequestError::kRoot: return IDC_REPO_ROOT;
    case RequestError::kModule: return IDC_REPO_MODULE;
    case RequestError::kFolder: return IDC_REPO_FOLDER;
    case RequestError::kTag: return IDC_REPO_TAG;
    case RequestError::kDate: return IDC_REPO_DATE;
    case RequestError::kVendorTag: return IDC_REPO_VENDOR;
    case RequestError::kReleaseTag: return IDC_REPO_RELEASE;
    case RequestError::kMessage: return IDC_REPO_MESSAGE;
    case RequestError::kPattern: return IDC_REPO_BINARY;
    default: return IDOK;
    }
}

// The Log in button of Checkout and Import: the root field gets the user the login named.
void LogInFromField(HWND dialog) {
    std::string root = ComboText(dialog, IDC_REPO_ROOT, 0);
    if (LogIn(dialog, root)) ::SetDlgItemTextA(dialog, IDC_REPO_ROOT, root.c_str());
}

// The root with `user` in place of the one it names (or put in where it names none).
std::string WithUser(const std::string& rootText, const std::string& user) {
    if (rootText.size() < 2 || rootText[0] != ':') return rootText;
    const size_t methodEnd = rootText.find(':', 1);
    if (methodEnd == std::string::npos) return rootText;
    const size_t slash = rootText.find('/', methodEnd + 1);
    const size_t at = rootText.rfind('@', slash);
    const size_t start = methodEnd + 1;
    std::string address = (at != std::string::npos && at >= start) ? rootText.substr(at + 1) : rootText.substr(start);
    return rootText.substr(0, start) + user + "@" + address;
}

}  // namespace

std::string RootErrorText(RootError error) {
    if (error == RootError::kNone) return std::string();
    return ferrow::LoadResString(IDS_ROOT_EMPTY + static_cast<unsigned>(error) - static_cast<unsigned>(RootError::kEmpty));
}

std::string RequestErrorText(const Checked& checked) {
    switch (checked.error) {
    case RequestError::kRoot: return RootErrorText(checked.rootError);
    case RequestError::kModule: return ferrow::LoadResString(IDS_REQ_MODULE);
    case RequestError::kFolder: return ferrow::LoadResString(IDS_REQ_FOLDER);
    case RequestError::kTag: return ferrow::LoadResString(IDS_REQ_TAG);
    case RequestError::kDate: return ferrow::LoadResString(IDS_REQ_DATE);
    case RequestError::kVendorTag: return ferrow::LoadResString(IDS_REQ_VENDOR_TAG);
    case RequestError::kReleaseTag: return ferrow::LoadResString(IDS_REQ_RELEASE_TAG);
    case RequestError::kMessage: return ferrow::LoadResString(IDS_REQ_MESSAGE);
    case RequestError::kPattern: return ferrow::LoadResString(IDS_REQ_PATTERN);
    default: return std::string();
    }
}

CLoginDlg::~CLoginDlg() { WipeText(password); }

BOOL CLoginDlg::OnInitDialog() {
    SetItemText(IDC_REPO_ROOT, root);
    SetItemText(IDC_REPO_USER, user);
    ::SetWindowTextA(Window(), ferrow::LoadResString(IDS_LOGIN_CAPTION).c_str());
    ::SetFocus(Item(user.empty() ? IDC_REPO_USER : IDC_REPO_PASSWORD));
    return FALSE;
}

bool CLoginDlg::OnCommand(WORD id, WORD) {
    if (id == IDCANCEL) {
        End(IDCANCEL);
        return true;
    }
    if (id != IDOK) return false;
    const std::string name = ItemText(IDC_REPO_USER);
    CvsRoot parsed;
    if (name.empty() || ParseRoot(WithUser(root, name), parsed) != RootError::kNone || parsed.user != name) {
        Refuse(Window(), ferrow::LoadResString(name.empty() ? IDS_REQ_USER : IDS_ROOT_BAD_USER), IDC_REPO_USER);
        return true;
    }
    user = name;
    password = ItemText(IDC_REPO_PASSWORD);
    // The field's copy goes at once: only this object holds the password from here on.
    SetItemText(IDC_REPO_PASSWORD, std::string());
    End(IDOK);
    return true;
}

bool LogIn(HWND owner, std::string& rootText) {
    const std::string caption = ferrow::LoadResString(IDS_LOGIN_CAPTION);
    CvsRoot root;
    const RootError error = ParseRoot(rootText, root);
    if (error != RootError::kNone) {
        ::MessageBoxA(owner, RootErrorText(error).c_str(), caption.c_str(), MB_ICONWARNING);
        return false;
    }
    if (root.method != RootMethod::kPserver) {
        const bool ssh = root.method == RootMethod::kExt || root.method == RootMethod::kExtssh;
        ::MessageBoxA(owner, ferrow::LoadResString(ssh ? IDS_LOGIN_EXT : IDS_LOGIN_OTHER_METHOD).c_str(),
                      caption.c_str(), MB_ICONINFORMATION);
        return false;
    }
    CLoginDlg dialog;
    dialog.root = rootText;
    dialog.user = root.user;
    if (dialog.DoModal(owner) != IDOK) return false;
    const std::string named = WithUser(rootText, dialog.user);
    if (ParseRoot(named, root) != RootError::kNone) return false;
    if (!IsStorablePassword(dialog.password)) {
        ::MessageBoxA(owner, ferrow::LoadResString(IDS_LOGIN_REJECTED).c_str(), caption.c_str(), MB_ICONWARNING);
        return false;
    }
    std::string previous;
    const HRESULT stored = StorePassword(root, dialog.password, previous);
    WipeText(dialog.password);
    if (FAILED(stored)) {
        std::string path;
        PasswordFilePath(path);
        const std::string text = ferrow::LoadResString(IDS_LOGIN_WRITE_FAILED) + "\r\n" + path;
        ::MessageBoxA(owner, text.c_str(), caption.c_str(), MB_ICONERROR);
        WipeText(previous);
        return false;
    }
    // The server checks the pair, as the client's own login does; a refused password is not kept.
    char folder[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, folder);
    HCURSOR cursor = ::SetCursor(::LoadCursor(nullptr, IDC_WAIT));
    const ClientResult check = RunClientQuietly(folder, {"-d", named, "version"});
    ::SetCursor(cursor);
    if (FAILED(check.hr)) {
        std::string path;
        if (PasswordFilePath(path)) WritePasswordFile(path, previous);
        WipeText(previous);
        const std::string text = ferrow::LoadResString(IDS_LOGIN_REJECTED) + "\r\n\r\n" + check.err;
        ::MessageBoxA(owner, text.c_str(), caption.c_str(), MB_ICONWARNING);
        return false;
    }
    WipeText(previous);
    rootText = named;
    return true;
}

BOOL CCheckoutDlg::OnInitDialog() {
    settings::CMRUList recent = RecentRoots();
    recent.Load();
    FillList(Item(IDC_REPO_ROOT), recent);
    if (request.root.empty() && !recent.empty()) request.root = *recent.begin();
    SetItemText(IDC_REPO_ROOT, request.root);
    SetItemText(IDC_REPO_MODULE, request.module);
    SetItemText(IDC_REPO_FOLDER, request.folder);
    ::CheckRadioButton(Window(), IDC_REPO_HEAD, IDC_REPO_BY_DATE,
                       request.revision == Revision::kTag    ? IDC_REPO_BY_TAG
                       : request.revision == Revision::kDate ? IDC_REPO_BY_DATE
                                                             : IDC_REPO_HEAD);
    ::CheckDlgButton(Window(), IDC_REPO_PRUNE, request.prune ? BST_CHECKED : BST_UNCHECKED);
    SetItemText(IDC_REPO_NOTE, folder);
    EnableRevisionFields();
    ::SetFocus(Item(request.root.empty() ? IDC_REPO_ROOT : IDC_REPO_MODULE));
    return FALSE;
}

void CCheckoutDlg::EnableRevisionFields() {
    ::EnableWindow(Item(IDC_REPO_TAG), ::IsDlgButtonChecked(Window(), IDC_REPO_BY_TAG) == BST_CHECKED);
    ::EnableWindow(Item(IDC_REPO_DATE), ::IsDlgButtonChecked(Window(), IDC_REPO_BY_DATE) == BST_CHECKED);
}

CheckoutRequest CCheckoutDlg::ReadFields() const {
    CheckoutRequest r;
    r.root = ComboText(Window(), IDC_REPO_ROOT, 0);
    r.module = ItemText(IDC_REPO_MODULE);
    r.folder = ItemText(IDC_REPO_FOLDER);
    r.prune = ::IsDlgButtonChecked(Window(), IDC_REPO_PRUNE) == BST_CHECKED;
    if (::IsDlgButtonChecked(Window(), IDC_REPO_BY_TAG) == BST_CHECKED) {
        r.revision = Revision::kTag;
        r.tagOrDate = ItemText(IDC_REPO_TAG);
    } else if (::IsDlgButtonChecked(Window(), IDC_REPO_BY_DATE) == BST_CHECKED) {
        r.revision = Revision::kDate;
        r.tagOrDate = ItemText(IDC_REPO_DATE);
    }
    return r;
}

bool CCheckoutDlg::OnCommand(WORD id, WORD code) {
    switch (id) {
    case IDC_REPO_HEAD:
    case IDC_REPO_BY_TAG:
    case IDC_REPO_BY_DATE:
        EnableRevisionFields();
        return true;
    case IDC_REPO_LOGIN:
        LogInFromField(Window());
        return true;
    case IDCANCEL:
        End(IDCANCEL);
        return true;
    case IDOK:
        break;
    default:
        return false;
    }
    (void)code;
    request = ReadFields();
    checked = CheckCheckout(request);
    if (checked.error != RequestError::kNone) {
        Refuse(Window(), RequestErrorText(checked), FieldOf(checked.error));
        return true;
    }
    const std::string created = request.folder.empty() ? request.module : request.folder;
    char target[MAX_PATH] = {};
    if (::PathCombineA(target, folder.c_str(), created.c_str()) && ::PathFileExistsA(target)) {
        Refuse(Window(), ferrow::ReplaceAll(ferrow::LoadResString(IDS_CHECKOUT_EXISTS), "%1", created), IDC_REPO_FOLDER);
        return true;
    }
    settings::CMRUList recent = RecentRoots();
    recent.Load();
    Remember(recent, request.root);
    End(IDOK);
    return true;
}

BOOL CImportDlg::OnInitDialog() {
    settings::CMRUList recent = RecentRoots();
    recent.Load();
    FillList(Item(IDC_REPO_ROOT), recent);
    if (request.root.empty() && !recent.empty()) request.root = *recent.begin();
    settings::CMRUList messages(HKEY_CURRENT_USER, settings::kMRUKey, settings::kMRUImportMessage,
                                settings::kMRUCapacity);
    messages.Load();
    FillList(Item(IDC_REPO_MESSAGE), messages);
    SetItemText(IDC_REPO_ROOT, request.root);
    SetItemText(IDC_REPO_MODULE, request.module);
    SetItemText(IDC_REPO_VENDOR, request.vendorTag);
    SetItemText(IDC_REPO_RELEASE, request.releaseTag);
    SetItemText(IDC_REPO_MESSAGE, request.message);
    std::string patterns;
    for (const std::string& p : request.binaryPatterns) patterns += (patterns.empty() ? "" : " ") + p;
    SetItemText(IDC_REPO_BINARY, patterns);
    ::SetFocus(Item(request.root.empty() ? IDC_REPO_ROOT : IDC_REPO_MODULE));
    return FALSE;
}

bool CImportDlg::OnCommand(WORD id, WORD) {
    switch (id) {
    case IDC_REPO_LOGIN:
        LogInFromField(Window());
        return true;
    case IDCANCEL:
        End(IDCANCEL);
        return true;
    case IDOK:
        break;
    default:
        return false;
    }
    request.root = ComboText(Window(), IDC_REPO_ROOT, 0);
    request.module = ItemText(IDC_REPO_MODULE);
    request.vendorTag = ItemText(IDC_REPO_VENDOR);
    request.releaseTag = ItemText(IDC_REPO_RELEASE);
    request.message = ComboText(Window(), IDC_REPO_MESSAGE, 0);
    request.binaryPatterns = SplitPatterns(ItemText(IDC_REPO_BINARY));
    checked = CheckImport(request);
    if (checked.error != RequestError::kNone) {
        Refuse(Window(), RequestErrorText(checked), FieldOf(checked.error));
        return true;
    }
    settings::CMRUList recent = RecentRoots();
    recent.Load();
    Remember(recent, request.root);
    settings::CMRUList messages(HKEY_CURRENT_USER, settings::kMRUKey, settings::kMRUImportMessage,
                                settings::kMRUCapacity);
    messages.Load();
    Remember(messages, request.message);
    End(IDOK);
    return true;
}

}  // namespace repo
