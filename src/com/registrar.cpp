#include "com/registrar.h"
#include "common/exception_guard.h"

#include "common/handles.h"
#include "common/module_instance.h"

#include <cstring>

namespace ferrow {
namespace {

HKEY RootKey(RegistryRoot root) {
    switch (root) {
        case RegistryRoot::ClassesRoot: return HKEY_CLASSES_ROOT;
        case RegistryRoot::CurrentUser: return HKEY_CURRENT_USER;
        case RegistryRoot::LocalMachine: return HKEY_LOCAL_MACHINE;
        case RegistryRoot::Users: return HKEY_USERS;
        case RegistryRoot::CurrentConfig: return HKEY_CURRENT_CONFIG;
    }
    return HKEY_CLASSES_ROOT;
}

bool IsGone(LONG error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

LONG DeleteKeyTree(HKEY parent, const std::wstring& name) {
    LONG error = ::RegDeleteTreeW(parent, name.c_str());
    if (error == ERROR_SUCCESS) error = ::RegDeleteKeyW(parent, name.c_str());
    return IsGone(error) ? ERROR_SUCCESS : error;
}

// A Delete key: deleted, at registration and at unregistration alike (it must not exist beside the
// script's keys). With a default value in the script, only while the key's default value is that text,
// compared without regard to case (a CLSID), so that a key of that name another program owns stays.
LONG DeleteObsoleteKey(HKEY parent, const RegistryNode& node) {
    if (node.hasData) {
        if (node.data.type != RegistryData::Type::String) return ERROR_INVALID_PARAMETER;
        wchar_t text[260] = {};
        DWORD size = sizeof text - sizeof(wchar_t);
        const LONG error =
            ::RegGetValueW(parent, node.name.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, text, &size);
        if (IsGone(error)) return ERROR_SUCCESS;
        if (error != ERROR_SUCCESS && error != ERROR_MORE_DATA && error != ERROR_UNSUPPORTED_TYPE) return error;
        if (error != ERROR_SUCCESS ||
            ::CompareStringOrdinal(text, -1, node.data.text.c_str(), -1, TRUE) != CSTR_EQUAL)
            return ERROR_SUCCESS;
    }
    return DeleteKeyTree(parent, node.name);
}

LONG WriteData(HKEY key, const std::wstring& name, const RegistryData& data) {
    const wchar_t* valueName = name.empty() ? nullptr : name.c_str();
    switch (data.type) {
        case RegistryData::Type::String: {
            const DWORD bytes = static_cast<DWORD>((data.text.size() + 1) * sizeof(wchar_t));
            return ::RegSetValueExW(key, valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.text.c_str()), bytes);
        }
        case RegistryData::Type::Dword: {
            const DWORD value = data.number;
            return ::RegSetValueExW(key, valueName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
        }
        case RegistryData::Type::Binary:
            return ::RegSetValueExW(key, valueName, 0, REG_BINARY, data.bytes.empty() ? nullptr : data.bytes.data(),
                                    static_cast<DWORD>(data.bytes.size()));
    }
    return ERROR_INVALID_PARAMETER;
}

LONG Register(HKEY parent, const std::vector<RegistryNode>& nodes);

struct UnregisterContext {
    HKEY root;
    KeepKeyFn keep;  // may be null
};
LONG Unregister(HKEY parent, const std::wstring& path, const std::vector<RegistryNode>& nodes,
                const UnregisterContext& context);

LONG RegisterNode(HKEY parent, const RegistryNode& node) {
    if (node.isValue) return WriteData(parent, node.name, node.data);
    if (node.flag == RegistryFlag::Delete) return DeleteObsoleteKey(parent, node);
    if (node.flag == RegistryFlag::ForceRemove) {
        LONG error = DeleteKeyTree(parent, node.name);
        if (error != ERROR_SUCCESS) return error;
    }
    UniqueKey key;
    LONG error = ::RegCreateKeyExW(parent, node.name.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                   KEY_READ | KEY_WRITE, nullptr, key.Put(), nullptr);
    if (error != ERROR_SUCCESS) return error;
    if (node.hasData) {
        error = WriteData(key.Get(), std::wstring(), node.data);
        if (error != ERROR_SUCCESS) return error;
    }
    return Register(key.Get(), node.children);
}

LONG UnregisterNode(HKEY parent, const std::wstring& parentPath, const RegistryNode& node,
                    const UnregisterContext& context) {
    if (node.isValue) {
        LONG error = ::RegDeleteValueW(parent, node.name.empty() ? nullptr : node.name.c_str());
        return IsGone(error) ? ERROR_SUCCESS : error;
    }
    if (node.flag == RegistryFlag::Delete) return DeleteObsoleteKey(parent, node);
    const std::wstring path = parentPath.empty() ? node.name : parentPath + L"\\" + node.name;
    if (node.flag != RegistryFlag::NoRemove) {
        if (context.keep && context.keep(context.root, path)) return ERROR_SUCCESS;
        return DeleteKeyTree(parent, node.name);
    }
    UniqueKey key;
    LONG error = ::RegOpenKeyExW(parent, node.name.c_str(), 0, KEY_READ | KEY_WRITE, key.Put());
    if (IsGone(error)) return ERROR_SUCCESS;
    if (error != ERROR_SUCCESS) return error;
    return Unregister(key.Get(), path, node.children, context);
}

LONG Register(HKEY parent, const std::vector<RegistryNode>& nodes) {
    for (const RegistryNode& node : nodes) {
        LONG error = RegisterNode(parent, node);
        if (error != ERROR_SUCCESS) return error;
    }
    return ERROR_SUCCESS;
}

LONG Unregister(HKEY parent, const std::wstring& path, const std::vector<RegistryNode>& nodes,
                const UnregisterContext& context) {
    for (const RegistryNode& node : nodes) {
        LONG error = UnregisterNode(parent, path, node, context);
        if (error != ERROR_SUCCESS) return error;
    }
    return ERROR_SUCCESS;
}

}  // namespace

HRESULT ApplyRegistryScript(const RegistryScript& script, bool registering, KeepKeyFn keep) noexcept {
    return GuardedCall([&]() -> HRESULT {  // the paths of the keys visited are built as it goes
        for (const RegistryRootBlock& block : script.roots) {
            const HKEY root = RootKey(block.root);
            LONG error = registering ? Register(root, block.children)
                                     : Unregister(root, std::wstring(), block.children, UnregisterContext{root, keep});
            if (error != ERROR_SUCCESS) return HRESULT_FROM_WIN32(error);
        }
        return S_OK;
    });
}

HRESULT RunRegistryScript(const std::wstring& text, const RegistryReplacements& replacements, bool registering,
                          KeepKeyFn keep) noexcept {
    return GuardedCall([&]() -> HRESULT {
        RegistryScript script;
        std::wstring error;
        if (!ParseRegistryScript(text, replacements, script, error)) return E_INVALIDARG;
        return ApplyRegistryScript(script, registering, keep);
    });
}

HRESULT LoadRegistryScriptResource(UINT id, std::wstring& text) noexcept {
    text.clear();
    const HMODULE module = ModuleInstance();
    HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(id), L"REGISTRY");
    if (!found) return HRESULT_FROM_WIN32(::GetLastError());
    HGLOBAL loaded = ::LoadResource(module, found);
    const DWORD size = ::SizeofResource(module, found);
    const char* bytes = loaded ? static_cast<const char*>(::LockResource(loaded)) : nullptr;
    if (!bytes) return HRESULT_FROM_WIN32(::GetLastError());
    return GuardedCall([&]() -> HRESULT {
        if (size >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF && static_cast<unsigned char>(bytes[1]) == 0xFE) {
            text.resize((size - 2) / sizeof(wchar_t));
            if (!text.empty()) std::memcpy(&text[0], bytes + 2, text.size() * sizeof(wchar_t));
        } else {
            int skip = 0;
            if (size >= 3 && std::memcmp(bytes, "\xEF\xBB\xBF", 3) == 0) skip = 3;
            const int length = static_cast<int>(size) - skip;
            if (length > 0) {
                int n = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes + skip, length, nullptr, 0);
                if (n <= 0) return HRESULT_FROM_WIN32(ERROR_NO_UNICODE_TRANSLATION);
                text.resize(static_cast<size_t>(n));
                ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes + skip, length, &text[0], n);
            }
        }
        // Resource compilers may pad with NULs: the text ends at the first one.
        const size_t nul = text.find(L'\0');
        if (nul != std::wstring::npos) text.resize(nul);
        return S_OK;
    });
}

}  // namespace ferrow
