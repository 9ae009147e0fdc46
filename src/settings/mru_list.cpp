#include "settings/mru_list.h"

#include "common/handles.h"
#include "settings/core/multi_sz.h"

#include <vector>

namespace settings {

CMRUList::CMRUList(HKEY root, const char* keyPath, const char* valueName, size_t capacity)
    : root_(root), keyPath_(keyPath ? keyPath : ""), valueName_(valueName ? valueName : ""), capacity_(capacity) {}

bool CMRUList::Load() {
    ferrow::UniqueKey key;
    if (::RegOpenKeyExA(root_, keyPath_.c_str(), 0, KEY_READ, key.Put()) != ERROR_SUCCESS) {
        key.Release();
        return false;
    }
    std::vector<char> buffer(mru::kMaxValueBytes);
    DWORD type = 0;
    DWORD size = static_cast<DWORD>(buffer.size());
    if (::RegQueryValueExA(key.Get(), valueName_.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                           &size) != ERROR_SUCCESS)
        return false;
    if (type != REG_MULTI_SZ || size > buffer.size()) return false;
    return mru::DecodeMultiSz(buffer.data(), size, entries_);
}

bool CMRUList::Save() const {
    ferrow::UniqueKey key;
    if (::RegCreateKeyExA(root_, keyPath_.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, key.Put(),
                          nullptr) != ERROR_SUCCESS) {
        key.Release();
        return false;
    }
    const std::string data = mru::EncodeMultiSz(entries_);
    return ::RegSetValueExA(key.Get(), valueName_.c_str(), 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(data.data()),
                            static_cast<DWORD>(data.size())) == ERROR_SUCCESS;
}

void CMRUList::Add(const std::string& text) { mru::AddEntry(entries_, text, capacity_); }

void FillRecentList(HWND list, const CMRUList& entries) {
    for (const std::string& entry : entries) {
        ::SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
    }
}

namespace {

// The selected entry of a drop-down list, or false when none is selected.
bool SelectedText(HWND list, std::string& text) {
    LRESULT index = ::SendMessageA(list, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR) return false;
    LRESULT length = ::SendMessageA(list, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == CB_ERR) return false;
    std::string buffer(static_cast<size_t>(length) + 1, '\0');
    LRESULT got = ::SendMessageA(list, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&buffer[0]));
    if (got == CB_ERR) return false;
    buffer.resize(static_cast<size_t>(got));
    text = buffer;
    return true;
}

}  // namespace

bool TakePreviousEntry(HWND dialog, WORD id, WORD code, int list, int edit) {
    if (id != list || code != CBN_SELCHANGE) return false;
    std::string text;
    if (SelectedText(::GetDlgItem(dialog, list), text)) ::SetDlgItemTextA(dialog, edit, text.c_str());
    return true;
}

void RememberEntry(CMRUList& recent, const std::string& entry) {
    if (entry.empty()) return;
    recent.Add(entry);
    recent.Save();
}

}  // namespace settings
