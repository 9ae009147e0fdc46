#include "ops/message_file.h"

#include "common/handles.h"

#include <windows.h>

namespace ops {

MessageFile::MessageFile(const std::string& message) {
    char folder[MAX_PATH] = {};
    const DWORD length = ::GetTempPathA(MAX_PATH, folder);
    char name[MAX_PATH] = {};
    if (length == 0 || length >= MAX_PATH || !::GetTempFileNameA(folder, "fcm", 0, name)) return;
    path_ = name;  // the file exists from here on
    ferrow::UniqueFile file(
        ::CreateFileA(name, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD wrote = 0;
    const DWORD size = static_cast<DWORD>(message.size());
    if (file && (size == 0 || (::WriteFile(file.Get(), message.data(), size, &wrote, nullptr) && wrote == size)))
        return;
    file.Reset();
    ::DeleteFileA(path_.c_str());
    path_.clear();
}

MessageFile::~MessageFile() {
    if (!path_.empty()) ::DeleteFileA(path_.c_str());
}

}  // namespace ops
