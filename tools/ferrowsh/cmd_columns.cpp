// columns <folder>: the column provider's definitions for the folder and every item's values, as
// Explorer's details view would ask for them.
#include "host.h"

#include "common/text.h"
#include "com/guids.h"
#include "com/interface_ids.h"

#include <shlobj.h>

#include <cstdio>
#include <string>
#include <vector>

namespace ferrowsh {
namespace {

std::string ColumnFlagsText(DWORD flags) {
    std::string text;
    if (flags & SHCOLSTATE_ONBYDEFAULT) text += " shown";
    if (flags & SHCOLSTATE_SLOW) text += " slow";
    return text.empty() ? " hidden" : text;
}

}  // namespace

int RunColumns(Host& host, const Args& args) {
    if (args.size() != 1) {
        PrintError("columns needs one folder");
        return kExitUsage;
    }
    std::string folder;
    if (!host.ResolvePath(args[0], folder)) return kExitUsage;
    ferrow::ComPtr<IColumnProvider> provider;
    if (FAILED(host.CreateObject(CLSID_CCVSColumnProvider, __uuidof(IColumnProvider), provider.PutVoid()))) {
        return host.Direct() ? kExitUsage : kExitFailed;
    }
    SHCOLUMNINIT init = {};
    lstrcpynW(init.wszFolder, ferrow::AnsiToWide(folder).c_str(), MAX_PATH);
    const HRESULT hr = provider->Initialize(&init);
    std::printf("%s: Initialize %s\n", folder.c_str(), hr == S_OK ? "S_OK" : HResultText(hr).c_str());
    if (hr != S_OK) return kExitFailed;

    std::vector<SHCOLUMNINFO> columns;
    for (DWORD i = 0;; ++i) {
        SHCOLUMNINFO info = {};
        if (provider->GetColumnInfo(i, &info) != S_OK) break;
        std::printf("column %lu \"%s\" %s pid %lu%s\n", i, ferrow::WideToAnsi(info.wszTitle).c_str(),
                    GuidText(info.scid.fmtid).c_str(), info.scid.pid, ColumnFlagsText(info.csFlags).c_str());
        columns.push_back(info);
    }

    for (const std::string& name : FolderItems(folder)) {
        const std::string path = folder + "\\" + name;
        SHCOLUMNDATA data = {};
        data.dwFileAttributes = ::GetFileAttributesA(path.c_str());
        lstrcpynW(data.wszFile, ferrow::AnsiToWide(path).c_str(), MAX_PATH);
        std::string line = name + ":";
        for (const SHCOLUMNINFO& column : columns) {
            VARIANT value;
            ::VariantInit(&value);
            const HRESULT item = provider->GetItemData(&column.scid, &data, &value);
            line += " " + ferrow::WideToAnsi(column.wszTitle) + "=";
            if (item == S_FALSE) {
                line += "-";
            } else if (FAILED(item)) {
                line += HResultText(item);
            } else if (V_VT(&value) == VT_BSTR) {
                line += "\"" + ferrow::WideToAnsi(V_BSTR(&value)) + "\"";
            }
            ::VariantClear(&value);
            line += ";";
        }
        std::printf("%s\n", line.c_str());
    }
    return kExitOk;
}

}  // namespace ferrowsh
