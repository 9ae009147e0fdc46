// rowgen: the registry rows of the installer, written at build time from the same scripts, replacements
// and object map that DllRegisterServer carries out, so that an installed and a self-registered DLL leave
// the same keys. Runs under Wine in the build; links the module's code and resources.
//
//   rowgen.exe <out.wxi> <module reference> <folder reference> <win32|win64> [--second]
//
// --second: the rows of the package's second DLL. Both DLLs register the one type library, whose key both
// registry views share; registering keeps the "HELPDIR" the first DLL wrote, so the second writes none.
//
// The references are the installer's formatted texts for the DLL's full path ("[#File]") and its folder
// ("[Folder]"); they go into the rows unescaped, every other text is escaped. Output: one <Include> of
// <RegistryValue> elements, for the DLL's component. Beside it, <out>.remove: the keys the scripts delete
// (Delete: names of older versions), one "<root>\t<key>" line each, which make-msi.sh puts into the
// package's RemoveRegistry table (wixl writes none), so that installing removes them. The installer cannot
// look at a key's value first: it removes such a key whatever it names, where registration checks it.
//
// How scripts become rows: a value or a key's default value is one row; a key the script may remove
// (anything but NoRemove) gets a "*" row, so the installer creates it and removes its whole tree;
// NoRemove keys only lead the way. Beyond the scripts, DllRegisterServer registers the component
// categories of a class (an empty key per category under the class's "Implemented Categories") and the
// type library ("TypeLib\{id}\<version>" with its help string, "FLAGS", "HELPDIR" and "<lcid>\<platform>").
#include "com/core/registry_script.h"
#include "com/com_object.h"
#include "module/module_scripts.h"
#include "com/object_map.h"

#include "wide_main.h"

#include <windows.h>
#include <oleauto.h>
#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

using ferrow::RegistryData;
using ferrow::RegistryNode;
using ferrow::RegistryRoot;

struct Row {
    std::wstring root, key, name, type, value;
    bool rawValue = false;  // a formatted reference of the installer, not escaped
};

std::wstring XmlEscaped(const std::wstring& text) {
    std::wstring out;
    for (wchar_t c : text) {
        switch (c) {
            case L'&': out += L"&amp;"; break;
            case L'<': out += L"&lt;"; break;
            case L'>': out += L"&gt;"; break;
            case L'"': out += L"&quot;"; break;
            default: out += c;
        }
    }
    return out;
}

// The installer formats registry texts: brackets start references, and a leading '#' marks a number.
std::wstring FormattedLiteral(const std::wstring& text) {
    std::wstring out;
    if (!text.empty() && text[0] == L'#') out += L'#';
    for (wchar_t c : text) {
        if (c == L'[') out += L"[\\[]";
        else if (c == L']') out += L"[\\]]";
        else out += c;
    }
    return out;
}

const wchar_t* RootName(RegistryRoot root) {
    switch (root) {
        case RegistryRoot::ClassesRoot: return L"HKCR";
        case RegistryRoot::CurrentUser: return L"HKCU";
        case RegistryRoot::LocalMachine: return L"HKLM";
        case RegistryRoot::Users: return L"HKU";
        case RegistryRoot::CurrentConfig: return nullptr;  // the installer has no such root
    }
    return nullptr;
}

class RowWriter {
public:
    RowWriter(std::wstring module, std::wstring folder) : module_(std::move(module)), folder_(std::move(folder)) {}

    // The rows of one parsed script; false for what the installer cannot express.
    bool AddScript(const ferrow::RegistryScript& script) {
        for (const auto& block : script.roots) {
            const wchar_t* root = RootName(block.root);
            if (!root) return false;
            for (const auto& node : block.children) {
                if (!AddNode(root, L"", node)) return false;
            }
        }
        return true;
    }

    void Add(Row row) { rows_.push_back(std::move(row)); }
    const std::vector<Row>& Rows() const { return rows_; }
    const std::vector<Row>& Removals() const { return removals_; }

private:
    Row ValueRow(const std::wstring& root, const std::wstring& key, const std::wstring& name,
                 const RegistryData& data) const {
        Row row{root, key, name, L"string", L""};
        switch (data.type) {
            case RegistryData::Type::String:
                // The module's path goes in as the installer's own reference to the installed file.
                if (data.text == module_ || data.text == folder_) {
                    row.value = data.text;
                    row.rawValue = true;
                } else {
                    row.value = data.text;
                }
                break;
            case RegistryData::Type::Dword:
                row.type = L"integer";
                row.value = std::to_wstring(data.number);
                break;
            case RegistryData::Type::Binary: {
                row.type = L"binary";
                static const wchar_t digits[] = L"0123456789ABCDEF";
                for (uint8_t b : data.bytes) {
                    row.value += digits[b >> 4];
                    row.value += digits[b & 15];
                }
                break;
            }
        }
        return row;
    }

    bool AddNode(const std::wstring& root, const std::wstring& parent, const RegistryNode& node) {
        if (node.isValue) {
            rows_.push_back(ValueRow(root, parent, node.name, node.data));
            return true;
        }
        const std::wstring key = parent.empty() ? node.name : parent + L"\\" + node.name;
        if (node.flag == ferrow::RegistryFlag::Delete) {
            removals_.push_back(Row{root, key, L"", L"", L""});
            return true;
        }
        if (node.flag != ferrow::RegistryFlag::NoRemove) rows_.push_back(Row{root, key, L"*", L"string", L""});
        if (node.hasData) rows_.push_back(ValueRow(root, key, L"", node.data));
        for (const auto& child : node.children) {
            if (!AddNode(root, key, child)) return false;
        }
        return true;
    }

    std::wstring module_, folder_;
    std::vector<Row> rows_;
    std::vector<Row> removals_;
};

bool AddScriptText(RowWriter& writer, const std::wstring& text, const ferrow::RegistryReplacements& replacements) {
    ferrow::RegistryScript script;
    std::wstring error;
    if (!ferrow::ParseRegistryScript(text, replacements, script, error)) {
        std::fwprintf(stderr, L"rowgen: %ls\n", error.c_str());
        return false;
    }
    if (!writer.AddScript(script)) {
        std::fwprintf(stderr, L"rowgen: a script uses what the installer cannot write\n");
        return false;
    }
    return true;
}

bool AddTypeLibraryRows(RowWriter& writer, const std::wstring& module, const std::wstring& folder,
                        const std::wstring& platform, bool second) {
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    ITypeLib* library = nullptr;
    if (FAILED(::LoadTypeLibEx(self, REGKIND_NONE, &library))) return false;
    TLIBATTR* attributes = nullptr;
    if (FAILED(library->GetLibAttr(&attributes))) {
        library->Release();
        return false;
    }
    wchar_t version[64] = {};
    ::wsprintfW(version, L"\\%x.%x", attributes->wMajorVerNum, attributes->wMinorVerNum);
    const std::wstring key = L"TypeLib\\" + ferrow::GuidString(attributes->guid) + version;
    BSTR doc = nullptr;
    if (SUCCEEDED(library->GetDocumentation(-1, nullptr, &doc, nullptr, nullptr)) && doc) {
        writer.Add(Row{L"HKCR", key, L"", L"string", doc});
        ::SysFreeString(doc);
    }
    wchar_t lcid[32] = {};
    ::wsprintfW(lcid, L"\\%lx\\", static_cast<unsigned long>(attributes->lcid));
    writer.Add(Row{L"HKCR", key + lcid + platform, L"", L"string", module, true});
    writer.Add(Row{L"HKCR", key + L"\\FLAGS", L"", L"string", std::to_wstring(attributes->wLibFlags)});
    if (!second) writer.Add(Row{L"HKCR", key + L"\\HELPDIR", L"", L"string", folder, true});
    library->ReleaseTLibAttr(attributes);
    library->Release();
    return true;
}

bool WriteUtf8(const std::wstring& path, const std::wstring& text) {
    const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                            nullptr, nullptr);
    std::string utf8(static_cast<size_t>(bytes), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &utf8[0], bytes, nullptr, nullptr);
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = ::WriteFile(file, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr) &&
                    written == utf8.size();
    ::CloseHandle(file);
    return ok;
}

bool WriteRemovals(const std::wstring& includePath, const std::vector<Row>& removals) {
    std::wstring path = includePath;
    const size_t dot = path.find_last_of(L'.');
    if (dot != std::wstring::npos && path.find_first_of(L"\\/", dot) == std::wstring::npos) path.erase(dot);
    std::wstring text;
    for (const auto& row : removals) text += row.root + L"\t" + row.key + L"\n";
    return WriteUtf8(path + L".remove", text);
}

bool WriteInclude(const wchar_t* path, const std::vector<Row>& rows) {
    std::wstring text = L"<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<!-- Made by installer/rowgen.cpp. -->\n<Include>\n";
    for (const auto& row : rows) {
        text += L"  <RegistryValue Root=\"" + row.root + L"\" Key=\"" + XmlEscaped(FormattedLiteral(row.key)) + L"\"";
        if (!row.name.empty()) {
            const std::wstring name = row.name == L"*" ? row.name : FormattedLiteral(row.name);
            text += L" Name=\"" + XmlEscaped(name) + L"\"";
        }
        const std::wstring value = row.rawValue ? row.value : FormattedLiteral(row.value);
        text += L" Type=\"" + row.type + L"\" Value=\"" + XmlEscaped(value) + L"\"/>\n";
    }
    text += L"</Include>\n";
    return WriteUtf8(path, text);
}

int Run(int argc, wchar_t** argv) {
    const bool second = argc == 6 && std::wstring(argv[5]) == L"--second";
    if (argc != 5 && !second) {
        std::fwprintf(stderr, L"usage: rowgen <out.wxi> <module reference> <folder reference> <win32|win64> [--second]\n");
        return 2;
    }
    const std::wstring module = argv[2], folder = argv[3], platform = argv[4];
    // The rows are fixed when the package is made: the band's name in English, whatever the build's locale.
    const LCID english = MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), SORT_DEFAULT);
    ::SetThreadLocale(english);
    ::SetThreadUILanguage(LANGIDFROMLCID(english));

    RowWriter writer(module, folder);
    ferrow::RegistryReplacements common;
    std::wstring moduleScript;
    if (FAILED(ferrow::AddModuleReplacements(module, common)) || FAILED(ferrow::LoadModuleRegistryScript(moduleScript)))
        return 1;
    if (!AddScriptText(writer, moduleScript, common)) return 1;
    const ferrow::ObjectEntry* entries = ferrow::ObjectMapBegin();
    for (size_t i = 0; i < ferrow::ObjectMapSize(); ++i) {
        ferrow::RegistryReplacements replacements = common;
        if (FAILED(ferrow::AddClassReplacements(entries[i], true, replacements))) return 1;
        if (!AddScriptText(writer, ferrow::ClassRegistryScript(), replacements)) return 1;
        for (size_t c = 0; c < ferrow::kMaxCategories && entries[i].categories[c]; ++c) {
            writer.Add(Row{L"HKCR",
                           L"CLSID\\" + ferrow::GuidString(*entries[i].clsid) + L"\\Implemented Categories\\" +
                               ferrow::GuidString(*entries[i].categories[c]),
                           L"*", L"string", L""});
        }
    }
    if (!AddTypeLibraryRows(writer, module, folder, platform, second)) {
        std::fwprintf(stderr, L"rowgen: no type library\n");
        return 1;
    }
    if (!WriteInclude(argv[1], writer.Rows()) || !WriteRemovals(argv[1], writer.Removals())) {
        std::fwprintf(stderr, L"rowgen: cannot write %ls\n", argv[1]);
        return 1;
    }
    return 0;
}

}  // namespace

int main() { return RunWithWideArguments(Run); }
