// status <paths...>: what the working-copy model makes of each path: controlled or not, its entry in
// CVS/Entries, and its status name in English and in German. The names come from the DLL's own string
// table, looked up in each language as a thread of that language would; they are printed in UTF-8.
#include "host.h"

#include "common/module_instance.h"
#include "common/text.h"
#include "model/admin_files.h"
#include "model/file_status.h"

#include <shlwapi.h>

#include <cstdio>

namespace ferrowsh {
namespace {

std::string StatusIn(LANGID language, const std::string& path, const CCVSEntry& entry) {
    // Windows looks resources up in the thread's UI language, Wine in the thread's locale: set both.
    LANGID previousUi = ::GetThreadUILanguage();
    LCID previousLocale = ::GetThreadLocale();
    ::SetThreadUILanguage(language);
    ::SetThreadLocale(MAKELCID(language, SORT_DEFAULT));
    std::string text = GetStatusText(path.c_str(), entry);
    ::SetThreadLocale(previousLocale);
    ::SetThreadUILanguage(previousUi);
    // Printed for a reader on the Linux side (the demo pipes it): UTF-8 rather than the OEM code page.
    std::wstring wide = ferrow::AnsiToWide(text);
    char utf8[256] = {};
    ::WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, utf8, sizeof utf8, nullptr, nullptr);
    return utf8;
}

}  // namespace

int RunStatus(Host& host, const Args& args) {
    if (args.empty()) {
        PrintError("status needs at least one path");
        return kExitUsage;
    }
    ferrow::UniqueLibrary dll(::LoadLibraryA(host.DllPath().c_str()));
    if (!dll) {
        PrintError("cannot load " + host.DllPath());
        return kExitUsage;
    }
    ferrow::SetModuleInstance(dll.Get());
    int result = kExitOk;
    for (const std::string& argument : args) {
        std::string path;
        if (!host.ResolvePath(argument, path)) {
            result = kExitUsage;
            continue;
        }
        bool controlled = IsControlled(path.c_str());
        CCVSEntry entry;
        bool listed = FindEntry(path.c_str(), entry);
        std::printf("%s\n  controlled: %s\n", path.c_str(), controlled ? "yes" : "no");
        if (!listed) {
            std::printf("  entry: none%s\n", ::PathIsDirectoryA(path.c_str()) ? " (a folder)" : "");
            continue;
        }
        std::printf("  entry: revision \"%s\", timestamp \"%s\", options \"%s\", tag/date \"%s\"\n",
                    entry.Revision.c_str(), entry.Timestamp.c_str(), entry.Options.c_str(), entry.TagDate.c_str());
        std::printf("  status: %s / %s\n", StatusIn(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), path, entry).c_str(),
                    StatusIn(MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN), path, entry).c_str());
    }
    ferrow::SetModuleInstance(nullptr);
    return result;
}

}  // namespace ferrowsh
