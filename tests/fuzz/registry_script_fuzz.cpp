// Arbitrary text as a registration script. Each byte becomes one character, except that a byte 0xFF
// followed by two more stands for the 16-bit character they spell (so names outside Latin-1 occur too).
#include "com/core/registry_script.h"

#include <cstdint>
#include <string>

namespace {

using ferrow::RegistryNode;

// Checks the shape of a parsed tree: values have no children and no flag, nesting stays in its limit.
void CheckNodes(const std::vector<RegistryNode>& nodes, int depth) {
    if (depth > ferrow::kMaxRegistryDepth) __builtin_trap();
    for (const RegistryNode& node : nodes) {
        if (node.isValue && (!node.children.empty() || node.flag != ferrow::RegistryFlag::None)) __builtin_trap();
        if (node.data.type == ferrow::RegistryData::Type::Dword && !node.data.text.empty()) __builtin_trap();
        CheckNodes(node.children, depth + 1);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::wstring text;
    text.reserve(size);
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0xFF && i + 2 < size) {
            text += static_cast<wchar_t>(data[i + 1] | (data[i + 2] << 8));
            i += 2;
        } else {
            text += static_cast<wchar_t>(data[i]);
        }
    }

    ferrow::RegistryReplacements replacements;
    replacements.Add(L"Module", L"C:\\Program Files\\It's 100%\\Ferrow.dll");
    replacements.Add(L"APPID", L"{40800506-71FE-4869-A7C2-03863B226599}");
    replacements.Add(L"CLSID_CCVSContextMenu", L"{'%%}");
    replacements.Add(L"Empty", L"");

    ferrow::RegistryScript script;
    std::wstring error;
    if (ferrow::ParseRegistryScript(text, replacements, script, error)) {
        for (const auto& root : script.roots) CheckNodes(root.children, 1);
    } else {
        // A failure leaves nothing half-built and always says why.
        if (!script.roots.empty() || error.empty()) __builtin_trap();
    }
    return 0;
}
