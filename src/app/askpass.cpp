#include "app/askpass.h"

#include "common/dialog.h"
#include "common/module_instance.h"
#include "resources/resource.h"

#include <string>
#include <vector>

namespace app {
namespace {

class CAskpassDialog : public ferrow::CDialog {
public:
    explicit CAskpassDialog(std::wstring prompt) : CDialog(IDD_ASKPASS), prompt_(std::move(prompt)) {}
    ~CAskpassDialog() override { Wipe(); }
    CAskpassDialog(const CAskpassDialog&) = delete;
    CAskpassDialog& operator=(const CAskpassDialog&) = delete;

    const std::vector<wchar_t>& Answer() const { return answer_; }

private:
    BOOL OnInitDialog() override {
        ::SetWindowTextW(Window(), ferrow::LoadResStringW(IDS_ASKPASS_TITLE).c_str());
        ::SetDlgItemTextW(Window(), IDC_ASKPASS_PROMPT, prompt_.c_str());
        // Started by ssh from a hidden console: nobody gave this process the foreground, so the window
        // stays on top to be seen and asks for the foreground anyway.
        ::SetForegroundWindow(Window());
        ::SetFocus(Item(IDC_ASKPASS_ANSWER));
        return FALSE;
    }
    bool OnCommand(WORD id, WORD) override {
        if (id == IDOK) {
            HWND edit = Item(IDC_ASKPASS_ANSWER);
            const int length = ::GetWindowTextLengthW(edit);
            answer_.assign(static_cast<size_t>(length) + 1, L'\0');
            ::GetWindowTextW(edit, answer_.data(), length + 1);
            answer_.resize(static_cast<size_t>(length));
            ::SetWindowTextW(edit, L"");
            End(IDOK);
            return true;
        }
        if (id == IDCANCEL) {
            End(IDCANCEL);
            return true;
        }
        return false;
    }
    void Wipe() {
        if (!answer_.empty()) ::SecureZeroMemory(answer_.data(), answer_.size() * sizeof(wchar_t));
    }

    std::wstring prompt_;
    std::vector<wchar_t> answer_;
};

bool WriteAnswer(const std::vector<wchar_t>& answer) {
    std::vector<char> bytes;
    if (!answer.empty()) {
        const int size = ::WideCharToMultiByte(CP_UTF8, 0, answer.data(), static_cast<int>(answer.size()), nullptr, 0,
                                               nullptr, nullptr);
        if (size <= 0) return false;
        bytes.resize(static_cast<size_t>(size));
        ::WideCharToMultiByte(CP_UTF8, 0, answer.data(), static_cast<int>(answer.size()), bytes.data(), size, nullptr,
                              nullptr);
    }
    bytes.push_back('\n');
    HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
    bool ok = out && out != INVALID_HANDLE_VALUE;
    for (size_t done = 0; ok && done < bytes.size();) {
        DWORD wrote = 0;
        ok = ::WriteFile(out, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &wrote, nullptr) && wrote;
        done += wrote;
    }
    ::SecureZeroMemory(bytes.data(), bytes.size());
    return ok;
}

}  // namespace

bool StartedAsAskpass(const ProgramArgs& args) {
    if (!args.command.empty()) return false;
    if (args.options.count(L"askpass")) return true;
    wchar_t value[4] = {};
    const DWORD length = ::GetEnvironmentVariableW(L"FERROW_ASKPASS", value, 4);
    return length == 1 && value[0] == L'1';
}

int RunAskpass(const ProgramContext& context) {
    // ssh passes the prompt as one argument; anything split from it is joined again.
    std::wstring prompt;
    for (const std::wstring& part : context.args.positional) prompt += (prompt.empty() ? L"" : L" ") + part;
    CAskpassDialog dialog(prompt);
    if (dialog.DoModal(context.invoker) != IDOK) return 1;
    return WriteAnswer(dialog.Answer()) ? 0 : 1;
}

}  // namespace app
