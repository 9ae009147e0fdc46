#include "menu/core/operation_rules.h"

#include "exec/core/line_ends.h"

#include "common/core/replace_all.h"

#include "menu/core/menu_rules.h"

namespace menu {

const char* FixedTemplate(unsigned offset) {
    switch (offset) {
    case kCmdUpdate: return "$(CVS) -q update -d -P $(Names)";
    case kCmdCommit: return "$(CVS) -q commit -m $(Message) $(Names)";
    case kCmdAdd: return "$(CVS) add $(Names)";
    case kCmdRemove: return "$(CVS) remove $(Names)";
    case kCmdUndo: return "$(CVS) update -C $(Names)";
    case kCmdResetTag: return "$(CVS) update -A $(Names)";
    default: return nullptr;
    }
}

const char* CommitFileTemplate() { return "$(CVS) -q commit -F $(MessageFile) $(Names)"; }

std::string BuildTagTemplate(bool moveFlag, bool checkFlag, bool branchFlag) {
    std::string command = "$(CVS) -q tag ";
    if (moveFlag) command += "-F ";
    if (checkFlag) command += "-c ";
    if (branchFlag) command += "-b ";
    command += kTagVariable;
    command += " $(Names)";
    return command;
}

std::string NormalizeLineEnds(const std::string& text) { return exec::ToCrLf(text); }

const std::string& ChooseErrorText(const std::string& stdErr, const std::string& stdOut,
                                   const std::string& fallback) {
    if (!stdErr.empty()) return stdErr;
    if (!stdOut.empty()) return stdOut;
    return fallback;
}

std::string OperationName(const std::string& menuText) {
    std::string name;
    for (size_t i = 0; i < menuText.size(); ++i) {
        if (menuText[i] == '&') {
            if (i + 1 == menuText.size() || menuText[i + 1] != '&') continue;
            ++i;
        }
        name += menuText[i];
    }
    const std::string ellipsis = "...";
    if (name.size() >= ellipsis.size() && name.compare(name.size() - ellipsis.size(), ellipsis.size(), ellipsis) == 0)
        name.resize(name.size() - ellipsis.size());
    return name;
}

std::string MakeOneLine(std::string text) {
    for (char& c : text) {
        if (c == '\r') c = ' ';
    }
    for (char& c : text) {
        if (c == '\n') c = ' ';
    }
    return text;
}

std::string RevisionForDisplay(const std::string& revision) {
    if (!revision.empty() && revision[0] == '-') return revision.substr(1);
    return revision;
}

std::string TagForDisplay(const std::string& tagDate) {
    if (!tagDate.empty() && tagDate[0] == 'T') return tagDate.substr(1);
    return tagDate;
}

}  // namespace menu
