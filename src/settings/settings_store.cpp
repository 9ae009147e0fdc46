#include "settings/settings_store.h"

#include "common/handles.h"
#include "common/text.h"

#include <cstring>
#include <mutex>

namespace settings {
namespace {

ferrow::UniqueKey OpenForRead(const char* subkey) {
    ferrow::UniqueKey key;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, subkey, 0, KEY_READ, key.Put()) != ERROR_SUCCESS) key.Release();
    return key;
}

ferrow::UniqueKey OpenForWrite(const char* subkey) {
    ferrow::UniqueKey key;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, subkey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE,
                          nullptr, key.Put(), nullptr) != ERROR_SUCCESS) {
        key.Release();
    }
    return key;
}

// Tells whether anything under HKEY_CURRENT_USER\Software changed since the last look, without waiting:
// a change notification on that key (always present, never deleted, unlike the extension's own keys,
// whose deletion a watch on them would miss). Values read between two changes are the same, so a value
// read at generation g stays good while Generation() returns g. When no notification can be set up,
// every call is a new generation. Thread-safe; the key and event stay open for the process's life.
class ChangeWatch {
public:
    unsigned Generation() {
        std::lock_guard<std::mutex> lock(mutex_);
        if (armed_ && ::WaitForSingleObject(event_.Get(), 0) == WAIT_TIMEOUT) return generation_;
        ++generation_;
        // Armed again before the caller reads: a change from here on shows at the next call.
        armed_ = Arm();
        return generation_;
    }

private:
    bool Arm() {
        if (!event_) event_.Reset(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
        if (!event_) return false;
        ::ResetEvent(event_.Get());
        if (!key_ && ::RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_NOTIFY, key_.Put()) != ERROR_SUCCESS) {
            key_.Release();
            return false;
        }
        return ::RegNotifyChangeKeyValue(key_.Get(), TRUE, REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET,
                                         event_.Get(), TRUE) == ERROR_SUCCESS;
    }

    std::mutex mutex_;
    ferrow::UniqueKey key_;
    ferrow::UniqueKernelHandle event_;
    unsigned generation_ = 0;
    bool armed_ = false;
};

ChangeWatch& Watch() {
    static ChangeWatch* watch = new ChangeWatch;  // kept to the end: asked until the module unloads
    return *watch;
}

// A setting read once per generation of the watch.
template <typename T>
class CachedSetting {
public:
    template <typename ReadFn>
    T Get(ReadFn&& read) {
        const unsigned generation = Watch().Generation();
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (valid_ && generation_ == generation) return value_;
        }
        T value = read();
        std::lock_guard<std::mutex> lock(mutex_);
        valid_ = true;
        generation_ = generation;
        value_ = value;
        return value;
    }

private:
    std::mutex mutex_;
    bool valid_ = false;
    unsigned generation_ = 0;
    T value_{};
};

}  // namespace

bool ReadString(const char* subkey, const char* name, std::string& value) {
    ferrow::UniqueKey key = OpenForRead(subkey);
    if (!key) return false;
    char buffer[260] = {};
    DWORD type = 0;
    DWORD size = sizeof buffer;
    if (::RegQueryValueExA(key.Get(), name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) != ERROR_SUCCESS)
        return false;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
    if (size == 0) {
        value.clear();
        return true;
    }
    if (size > sizeof buffer || buffer[size - 1] != '\0') return false;
    value.assign(buffer, strnlen(buffer, size));
    return true;
}

void ReadDword(const char* subkey, const char* name, DWORD& value) {
    ferrow::UniqueKey key = OpenForRead(subkey);
    if (!key) return;
    DWORD data = 0;
    DWORD size = sizeof data;
    if (::RegQueryValueExA(key.Get(), name, nullptr, nullptr, reinterpret_cast<BYTE*>(&data), &size) ==
            ERROR_SUCCESS &&
        size == sizeof data) {
        value = data;
    }
}

bool WriteString(const char* subkey, const char* name, const std::string& value) {
    ferrow::UniqueKey key = OpenForWrite(subkey);
    if (!key) return false;
    return ::RegSetValueExA(key.Get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                            static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
}

bool WriteDword(const char* subkey, const char* name, DWORD value) {
    ferrow::UniqueKey key = OpenForWrite(subkey);
    if (!key) return false;
    return ::RegSetValueExA(key.Get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value) ==
           ERROR_SUCCESS;
}

bool UseCVSNTTimestamps() {
    static CachedSetting<bool>* cached = new CachedSetting<bool>;
    return cached->Get([] {
        std::string rule;
        return ReadString(kOptionsKey, kTimestampCompatibility, rule) && rule == kRuleCVSNT;
    });
}

DWORD GetAutoShowOutput() {
    DWORD value = kDefaultAutoShowOutput;
    ReadDword(kOptionsKey, kAutoShowOutput, value);
    return value;
}

OutputMode GetOutputMode() {
    std::string mode;
    if (!ReadString(kOptionsKey, kOutputMode, mode)) return OutputMode::kAuto;
    if (mode == kOutputModeWindow) return OutputMode::kWindow;
    if (mode == kOutputModeBar) return OutputMode::kBar;
    return OutputMode::kAuto;
}

bool GetCloseOutputOnSuccess() {
    DWORD value = 0;
    ReadDword(kOptionsKey, kCloseOutputOnSuccess, value);
    return value == 1;
}

bool GetOutsideEntries() {
    DWORD value = 1;
    ReadDword(kOptionsKey, kOutsideEntries, value);
    return value != 0;
}

bool SetOutsideEntries(bool on) { return WriteDword(kOptionsKey, kOutsideEntries, on ? 1 : 0); }

bool SaveOutputOptions(OutputMode mode, bool closeOnSuccess) {
    ferrow::UniqueKey key = OpenForWrite(kOptionsKey);
    if (!key) return false;
    const char* text = mode == OutputMode::kWindow ? kOutputModeWindow
                     : mode == OutputMode::kBar    ? kOutputModeBar
                                                   : kOutputModeAuto;
    const DWORD close = closeOnSuccess ? 1 : 0;
    const bool wroteMode = ::RegSetValueExA(key.Get(), kOutputMode, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                                            static_cast<DWORD>(std::strlen(text) + 1)) == ERROR_SUCCESS;
    const bool wroteClose = ::RegSetValueExA(key.Get(), kCloseOutputOnSuccess, 0, REG_DWORD,
                                             reinterpret_cast<const BYTE*>(&close), sizeof close) == ERROR_SUCCESS;
    return wroteMode && wroteClose;
}

bool GetTool(const char* name, std::string& value) {
    if (!name) return false;
    if (ReadString(kToolsKey, name, value)) return true;
    // Value names are compared by the registry without regard to case; the defaults follow suit.
    if (::lstrcmpiA(name, kToolCvs) == 0) {
        value = kDefaultCvs;
    } else if (::lstrcmpiA(name, kToolDiff) == 0) {
        value = kDefaultDiff;
    } else if (::lstrcmpiA(name, kToolView) == 0) {
        value = kDefaultView;
    } else {
        return false;
    }
    return true;
}

bool SetTool(const char* name, const std::string& value) {
    if (!name) return false;
    return WriteString(kToolsKey, name, value);
}

std::string GetCvsCommand() {
    std::string command;
    if (!ReadString(kToolsKey, kToolCvs, command) || command.empty()) command = kDefaultCvs;
    return command;
}

void SaveToolFields(const std::string& cvs, const std::string& diff, const std::string& view) {
    const struct {
        const char* name;
        const std::string* text;
    } fields[] = {{kToolCvs, &cvs}, {kToolDiff, &diff}, {kToolView, &view}};
    for (const auto& field : fields) {
        if (field.text->empty()) continue;  // clearing a field keeps the stored value
        SetTool(field.name, ferrow::CopyPath(*field.text));
    }
}

bool SaveOptions(bool cvsnt, bool autoShow, const char* browserHelperClsid) {
    {
        ferrow::UniqueKey key = OpenForWrite(kOptionsKey);
        if (!key) return false;
        const char* rule = cvsnt ? kRuleCVSNT : kRuleCVS;
        DWORD show = autoShow ? 1 : 0;
        bool ok = ::RegSetValueExA(key.Get(), kTimestampCompatibility, 0, REG_SZ, reinterpret_cast<const BYTE*>(rule),
                                   static_cast<DWORD>(std::strlen(rule) + 1)) == ERROR_SUCCESS;
        ok = ::RegSetValueExA(key.Get(), kAutoShowOutput, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&show),
                              sizeof show) == ERROR_SUCCESS &&
             ok;
        if (!ok) return false;
    }
    if (autoShow && browserHelperClsid && *browserHelperClsid) {
        std::string path = std::string(kBrowserHelperObjectsKey) + "\\" + browserHelperClsid;
        ferrow::UniqueKey helper;
        // Needs administrative rights; without them nothing is reported.
        if (::RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                              KEY_READ | KEY_WRITE, nullptr, helper.Put(), nullptr) != ERROR_SUCCESS) {
            helper.Release();
        }
    }
    return true;
}

DWORD GetColumnFlags(const char* name, DWORD fallback) {
    DWORD value = fallback;
    ReadDword(kColumnsKey, name, value);
    return value;
}

}  // namespace settings
