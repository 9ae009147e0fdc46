#include "propsheet/exec_standin.h"

#include "propsheet/exec_link.h"

ExecStandIn& Standin() {
    static ExecStandIn state;
    return state;
}

HRESULT ExecuteTemplate(const std::string& commandTemplate, const std::vector<std::string>& selection) {
    ExecStandIn& s = Standin();
    ++s.runs;
    s.lastTemplate = commandTemplate;
    s.lastSelection = selection;
    const size_t at = commandTemplate.rfind("> ");
    s.lastTarget = at == std::string::npos ? std::string() : commandTemplate.substr(at + 2);
    if (s.lastTarget.size() >= 2 && s.lastTarget.front() == '"' && s.lastTarget.back() == '"') {
        s.lastTarget = s.lastTarget.substr(1, s.lastTarget.size() - 2);
    }
    if (!s.outputFixture.empty() && !s.lastTarget.empty()) {
        ::CopyFileA(s.outputFixture.c_str(), s.lastTarget.c_str(), FALSE);
    }
    return s.result;
}

std::string QuoteArgument(const std::string& text) {
    if (text.empty()) return "\"\"";
    if (text.find_first_of(" &()[]{}^=;!'+,`~<>*?\"") == std::string::npos) return text;
    std::string quoted = text;
    for (char& c : quoted) {
        if (c == '"') c = '\'';
    }
    return "\"" + quoted + "\"";
}
