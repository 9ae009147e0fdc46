#include "common/module_instance.h"

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

std::string ModulePath() {
    char path[MAX_PATH + 1] = {};
    DWORD n = ::GetModuleFileNameA(ModuleInstance(), path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return std::string();
    return std::string(path, n);
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
