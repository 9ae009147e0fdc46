#include "ops/core/operation_rules.h"

#include "exec/core/line_ends.h"

#include "common/core/replace_all.h"

#include "resources/resource.h"

namespace ops {

namespace {

struct OperationRow {
    Operation operation;
    const char* verb;
    unsigned textId;
};

const OperationRow kOperations[] = {
    {Operation::kUpdate, "update", IDS_MENU_UPDATE},     {Operation::kCommit, "commit", IDS_MENU_COMMIT},
    {Operation::kAdd, "add", IDS_MENU_ADD},              {Operation::kRemove, "remove", IDS_MENU_REMOVE},
    {Operation::kCustom, "custom", IDS_MENU_CUSTOM},     {Operation::kUndo, "undo", IDS_MENU_UNDO},
    {Operation::kTag, "tag", IDS_MENU_TAG},              {Operation::kResetTag, "resettag", IDS_MENU_RESET_TAG},
};

const OperationRow& RowOf(Operation operation) {
    for (const OperationRow& row : kOperations) {
        if (row.operation == operation) return row;
    }
    return kOperations[0];  // every enumerator has its row
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

bool FindOperation(const std::string& verb, Operation& operation) {
    for (const OperationRow& row : kOperations) {
        const std::string name = row.verb;
        if (name.size() != verb.size()) continue;
        bool same = true;
        for (size_t i = 0; i < name.size() && same; ++i) same = Lower(verb[i]) == name[i];
        if (!same) continue;
        operation = row.operation;
        return true;
    }
    return false;
}

const char* OperationVerb(Operation operation) { return RowOf(operation).verb; }

unsigned OperationTextId(Operation operation) { return RowOf(operation).textId; }

const char* FixedTemplate(Operation operation) {
    switch (operation) {
    case Operation::kUpdate: return "$(CVS) -q update -d -P $(Names)";
    case Operation::kCommit: return "$(CVS) -q commit -m $(Message) $(Names)";
    case Operation::kAdd: return "$(CVS) add $(Names)";
    case Operation::kRemove: return "$(CVS) remove $(Names)";
    case Operation::kUndo: return "$(CVS) update -C $(Names)";
    case Operation::kResetTag: return "$(CVS) update -A $(Names)";
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

}  // namespace ops
