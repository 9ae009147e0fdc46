#include "views/column_provider.h"

#include "common/exception_guard.h"
#include "common/module_instance.h"
#include "common/text.h"
#include "model/admin_files.h"
#include "model/file_status.h"
#include "exec/log_reader.h"
#include "settings/settings_store.h"

#include <oleauto.h>

#include <cwchar>

namespace {

// Copies a string-table text into a fixed field, cut to fit with its terminator.
void CopyResString(UINT id, WCHAR* field, size_t capacity) {
    const std::wstring text = ferrow::LoadResStringW(id);
    const size_t n = text.size() < capacity - 1 ? text.size() : capacity - 1;
    std::wmemcpy(field, text.c_str(), n);
    field[n] = L'\0';
}

}  // namespace

STDMETHODIMP CCVSColumnProvider::Initialize(LPCSHCOLUMNINIT psci) {
    return ferrow::GuardedCall([&]() -> HRESULT {
        if (!psci) return E_INVALIDARG;
        WCHAR folder[MAX_PATH];
        // The shell's record is fixed-size; never trust it to be terminated.
        std::wmemcpy(folder, psci->wszFolder, MAX_PATH);
        folder[MAX_PATH - 1] = L'\0';
        std::string path;
        if (!ferrow::WideToAnsiPath(folder, path) || !HasCVSDir(path.c_str())) return E_INVALIDARG;

        struct Value {
            const char* name;
            uint32_t* flags;
        } const values[] = {{settings::kColumnStatus, &flags_.Status},
                            {settings::kColumnTag, &flags_.Tag},
                            {settings::kColumnOptions, &flags_.Options},
                            {settings::kColumnRevision, &flags_.Revision},
                            {settings::kColumnAuthor, &flags_.Author}};
        for (const Value& v : values) *v.flags = settings::GetColumnFlags(v.name, *v.flags);  // kept when missing
        return S_OK;
    });
}

STDMETHODIMP CCVSColumnProvider::GetColumnInfo(DWORD dwIndex, SHCOLUMNINFO* psci) {
    return ferrow::GuardedCall([&]() -> HRESULT {
        if (!psci) return E_POINTER;
        ColumnDefinition def;
        if (!GetColumnDefinition(flags_, dwIndex, def)) return S_FALSE;

        ZeroMemory(psci, sizeof(*psci));
        psci->scid.fmtid = def.Set == ColumnSet::Own ? ferrow::kColumnFormatId : FMTID_SummaryInformation;
        psci->scid.pid = def.PropertyId;
        psci->vt = VT_LPSTR;
        psci->fmt = LVCFMT_LEFT;
        psci->cChars = 12;
        psci->csFlags = SHCOLSTATE_TYPE_STR;
        if (def.ShownByDefault) psci->csFlags |= SHCOLSTATE_ONBYDEFAULT;
        if (def.Slow) psci->csFlags |= SHCOLSTATE_SLOW;
        CopyResString(def.TitleId, psci->wszTitle, MAX_COLUMN_NAME_LEN);
        CopyResString(def.DescriptionId, psci->wszDescription, MAX_COLUMN_DESC_LEN);
        return S_OK;
    });
}

STDMETHODIMP CCVSColumnProvider::GetItemData(LPCSHCOLUMNID pscid, LPCSHCOLUMNDATA pscd, VARIANT* pvarData) {
    // The shell wants a value or none: a failure leaves the cell empty.
    return ferrow::GuardedAnswer(S_FALSE, [&]() -> HRESULT {
        if (!pscid || !pscd || !pvarData) return E_POINTER;
        const bool own = IsEqualGUID(pscid->fmtid, ferrow::kColumnFormatId) != FALSE;
        if (!own && !IsEqualGUID(pscid->fmtid, FMTID_SummaryInformation)) return S_FALSE;

        WCHAR file[MAX_PATH];
        std::wmemcpy(file, pscd->wszFile, MAX_PATH);
        file[MAX_PATH - 1] = L'\0';
        std::string path;
        if (!ferrow::WideToAnsiPath(file, path)) return S_FALSE;  // a name the code page cannot spell
        CCVSEntry entry;
        if (!FindEntry(path.c_str(), entry)) return S_FALSE;

        std::string text;
        if (own) {
            switch (pscid->pid) {
            case kPidStatus: text = GetStatusText(path.c_str(), entry); break;
            case kPidTag: text = TagColumnText(entry.TagDate); break;
            case kPidOptions: text = entry.Options; break;
            default: return S_OK;
            }
        } else {
            switch (pscid->pid) {
            case kPidRevisionNumber: text = RevisionColumnText(entry.Revision); break;
            case kPidAuthor:
                // No author found (an added file, a failing client): the cell stays empty.
                GetRevisionAuthor(path.c_str(), RevisionColumnText(entry.Revision), text);
                break;
            default: return S_OK;
            }
        }

        BSTR value = ::SysAllocString(ferrow::AnsiToWide(text).c_str());
        if (!value) return E_OUTOFMEMORY;
        ::VariantClear(pvarData);
        V_VT(pvarData) = VT_BSTR;
        V_BSTR(pvarData) = value;
        return S_OK;
    });
}
