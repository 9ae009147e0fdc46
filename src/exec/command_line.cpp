#include "exec/command_line.h"

#include "common/text.h"
#include "exec/core/command_text.h"
#include "exec/process_runner.h"
#include "model/admin_files.h"

#include <shlwapi.h>

namespace {

bool IsAnsiLeadByte(unsigned char byte) { return ::IsDBCSLeadByte(byte) != FALSE; }

// One command line to run in one folder.
struct PlannedRun {
    std::string directory;
    std::string line;
};

// The runs of the template on the selection, all made before the first starts (so that a name that does
// not fit refuses the whole command).
HRESULT PlanRuns(const std::string& commandTemplate, const Selection& selection, const TemplateValues& values,
                 std::vector<PlannedRun>& runs, std::string* refusedName) {
    if (selection.empty()) return E_INVALIDARG;
    std::string directory;
    if (!GetCommonDirectory(selection, directory)) return S_OK;

    TemplateValues all = {{cmdline::kClientVariable, ClientCommand()}};
    all.insert(all.end(), values.begin(), values.end());

    if (IsControlled(directory.c_str())) {
        std::vector<std::string> names;
        if (!GetRelativeNames(directory, selection, names)) return E_FAIL;
        // Measured with the interpreter as it is; without one every run fails when it starts.
        std::string interpreter;
        GetInterpreter(interpreter);
        cmdline::RunSplit split = cmdline::SplitIntoRuns(interpreter, commandTemplate, all, names,
                                                         cmdline::kMaxInterpreterLine, IsAnsiLeadByte);
        if (split.refused != cmdline::kNoRefusal) {
            if (refusedName) *refusedName = names[split.refused];
            return kNameTooLong;
        }
        for (std::string& line : split.lines) runs.push_back({directory, std::move(line)});
        return S_OK;
    }

    // Whole working copies inside a folder that is not one: each selected folder in place, with ".".
    all.push_back({cmdline::kNamesVariable, "."});
    for (const std::string& item : selection) {
        const std::string folder = ferrow::CopyPath(item);
        if (!::PathIsDirectoryA(folder.c_str())) continue;
        runs.push_back({folder, cmdline::FillTemplate(commandTemplate, all, IsAnsiLeadByte)});
    }
    return S_OK;
}

}  // namespace

std::string ReplaceVariable(const std::string& text, const std::string& variable, const std::string& value) {
    return cmdline::ReplaceVariable(text, variable, value, IsAnsiLeadByte);
}

std::string QuoteArgument(const std::string& text) { return cmdline::QuoteArgument(text, IsAnsiLeadByte); }

std::string QuoteProgramArgument(const std::string& text) {
    return cmdline::QuoteArgument(text, IsAnsiLeadByte, cmdline::Reader::Program);
}

bool GetCommonDirectory(const Selection& selection, std::string& directory) {
    if (selection.empty()) return false;
    const std::string first = ferrow::CopyPath(selection.front());
    std::string common;
    if (selection.size() == 1) {
        const char* name = ::PathFindFileNameA(first.c_str());
        common = first.substr(0, cmdline::ParentLength(first, static_cast<size_t>(name - first.c_str())));
    } else {
        size_t length = first.size();
        for (size_t i = 1; i < selection.size(); ++i) {
            const std::string other = ferrow::CopyPath(selection[i]);
            int shared = ::PathCommonPrefixA(first.c_str(), other.c_str(), nullptr);
            if (shared <= 0) return false;
            if (static_cast<size_t>(shared) < length) length = static_cast<size_t>(shared);
        }
        common = first.substr(0, length);
    }
    if (common.empty() || !::PathIsDirectoryA(common.c_str())) return false;
    directory = common;
    return true;
}

bool GetRelativeNames(const std::string& directory, const Selection& selection, std::vector<std::string>& names) {
    std::vector<std::string> result;
    const std::string from = ferrow::CopyPath(directory);
    for (const std::string& item : selection) {
        const std::string to = ferrow::CopyPath(item);
        char buffer[MAX_PATH] = {};
        DWORD attributes = ::PathIsDirectoryA(to.c_str()) ? FILE_ATTRIBUTE_DIRECTORY : 0;
        if (!::PathRelativePathToA(buffer, from.c_str(), FILE_ATTRIBUTE_DIRECTORY, to.c_str(), attributes))
            return false;
        buffer[MAX_PATH - 1] = '\0';
        result.push_back(cmdline::TrimCurrentFolder(buffer));
    }
    names = std::move(result);
    return true;
}

HRESULT ExecuteTemplate(CRunFrame* frame, const std::string& commandTemplate, const Selection& selection,
                        const TemplateValues& values, std::string* refusedName) {
    const CommandRunner run = [frame](const std::string& directory, const std::string& line) {
        return RunCommandLine(frame, directory, line);
    };
    return ExecuteTemplate(commandTemplate, selection, values, run, refusedName);
}

HRESULT ExecuteTemplate(const std::string& commandTemplate, const Selection& selection, const TemplateValues& values,
                        const CommandRunner& run, std::string* refusedName) {
    if (!run) return E_INVALIDARG;
    std::vector<PlannedRun> runs;
    HRESULT hr = PlanRuns(commandTemplate, selection, values, runs, refusedName);
    for (size_t i = 0; SUCCEEDED(hr) && i < runs.size(); ++i) hr = run(runs[i].directory, runs[i].line);
    return FAILED(hr) ? hr : S_OK;
}

HRESULT CheckTemplate(const std::string& commandTemplate, const Selection& selection, const TemplateValues& values,
                      std::string* refusedName) {
    std::vector<PlannedRun> runs;
    return PlanRuns(commandTemplate, selection, values, runs, refusedName);
}
