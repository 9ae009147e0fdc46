#include "common/module_instance.h"

#include "common/exception_guard.h"
#include "common/text.h"

#include <atomic>

namespace ferrow {
namespace {
std::atomic<HINSTANCE> g_instance{nullptr};
}

HINSTANCE ModuleInstance() noexcept {
    HINSTANCE h = g_instance.load();
    return h ? h : ::GetModuleHandleA(nullptr);
}

void SetModuleInstance(HINSTANCE instance) noexcept { g_instance.store(instance); }

HRESULT ModuleFileName(HMODULE module, std::wstring& path) noexcept {
    wchar_t buffer[MAX_PATH + 1] = {};
    const DWORD n = ::GetModuleFileNameW(module, buffer, MAX_PATH + 1);
    if (n == 0) return HRESULT_FROM_WIN32(::GetLastError());
    if (n > MAX_PATH) return HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);
    return GuardedCall([&] {
        path.assign(buffer, n);
        return S_OK;
    });
}

std::string ModulePath(HMODULE module) {
    std::wstring wide;
    std::string path;
    if (FAILED(ModuleFileName(module, wide)) || !WideToAnsiPath(wide.c_str(), path)) return std::string();
    return path;
}

std::wstring LoadResStringW(UINT id) {
    // With a zero capacity LoadStringW hands out a read-only pointer into the resource itself.
    const wchar_t* text = nullptr;
    int n = ::LoadStringW(ModuleInstance(), id, reinterpret_cast<LPWSTR>(&text), 0);
    if (n <= 0 || !text) return std::wstring();
    return std::wstring(text, static_cast<size_t>(n));
}

std::string LoadResString(UINT id) { return WideToAnsi(LoadResStringW(id)); }

}  // namespace ferrow
