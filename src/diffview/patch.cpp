#include "diffview/patch.h"

#include "common/handles.h"
#include "common/module_instance.h"
#include "common/text.h"
#include "exec/command_line.h"
#include "exec/process_runner.h"
#include "resources/resource.h"

#include <commdlg.h>
#include <shlwapi.h>

namespace diffview {

namespace {

// Each folder's run appends to the file. The client's diff exits with 1 when it found differences, so
// an exit code other than 0 does not stop the other folders; the file's content decides.
constexpr char kPatchTemplate[] = "$(CVS) -q diff -u $(Revisions) $(Names) >> $(PatchFile)";

HRESULT FileSize(const std::string& file, ULONGLONG& size) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!::GetFileAttributesExA(file.c_str(), GetFileExInfoStandard, &data)) return HRESULT_FROM_WIN32(::GetLastError());
    size = (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return S_OK;
}

}  // namespace

HRESULT WritePatch(const std::vector<std::string>& selection, const std::string& revisions, const std::string& target) {
    {
        ferrow::UniqueFile created(::CreateFileA(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                                 FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!created) return HRESULT_FROM_WIN32(::GetLastError());
    }
    // The template holds the options, so the runs' splitting counts them; the revisions are quoted already.
    const std::string commandTemplate = ReplaceVariable(kPatchTemplate, "$(Revisions)", revisions);
    HRESULT failure = S_OK;
    const HRESULT ran = ExecuteTemplate(
        commandTemplate, selection, {{"$(PatchFile)", QuoteArgument(target)}},
        [&](const std::string& directory, const std::string& line) -> HRESULT {
            const HRESULT hr = RunCommandLine(nullptr, directory, line);
            if (hr == E_FAIL) {
                failure = hr;  // differences, or an error the client wrote to standard error
                return S_OK;
            }
            return hr;
        });
    ULONGLONG size = 0;
    const HRESULT sized = FileSize(target, size);
    if (FAILED(ran) || FAILED(sized)) {
        ::DeleteFileA(target.c_str());
        return FAILED(ran) ? ran : sized;
    }
    if (size == 0) {
        ::DeleteFileA(target.c_str());
        return FAILED(failure) ? failure : S_FALSE;
    }
    return S_OK;
}

HRESULT SaveAsPatch(HWND owner, const std::vector<std::string>& selection, const std::string& revisions) {
    if (selection.empty()) return E_INVALIDARG;
    const std::string first = ferrow::CopyPath(selection.front());
    std::string suggested = ::PathFindFileNameA(first.c_str());
    suggested += ".patch";
    char buffer[MAX_PATH] = {};
    suggested.copy(buffer, MAX_PATH - 1);
    std::string filter = ferrow::LoadResString(IDS_PATCH_FILTER);
    for (char& c : filter) {
        if (c == '|') c = '\0';
    }
    const std::string title = ferrow::LoadResString(IDS_DIFF_SAVE_TITLE);
    std::string folder = first;
    ::PathRemoveFileSpecA(&folder[0]);
    folder.resize(std::char_traits<char>::length(folder.c_str()));

    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter.c_str();
    ofn.lpstrFile = buffer;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrInitialDir = folder.c_str();
    ofn.lpstrTitle = title.c_str();
    ofn.lpstrDefExt = "patch";
    ofn.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
    if (!::GetSaveFileNameA(&ofn)) return S_FALSE;

    const HRESULT written = WritePatch(selection, revisions, buffer);
    const std::string caption = ferrow::LoadResString(IDS_DIFF_TITLE);
    if (written == S_FALSE) {
        ::MessageBoxA(owner, ferrow::LoadResString(IDS_PATCH_EMPTY).c_str(), caption.c_str(), MB_ICONINFORMATION);
    } else if (FAILED(written)) {
        const std::string text = ferrow::LoadResString(IDS_PATCH_FAILED) + "\r\n" + buffer;
        ::MessageBoxA(owner, text.c_str(), caption.c_str(), MB_ICONERROR);
    }
    return written;
}

}  // namespace diffview
