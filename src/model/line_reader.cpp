#include "model/line_reader.h"

int32_t CLineReader::ReadBlock(char* buffer, size_t size, size_t& got) {
    got = 0;
    if (!file_) return E_HANDLE;
    DWORD read = 0;
    if (!::ReadFile(file_.Get(), buffer, static_cast<DWORD>(size), &read, nullptr)) {
        return HRESULT_FROM_WIN32(::GetLastError());
    }
    got = read;
    return 0;
}

ferrow::UniqueFile OpenForReading(const char* path, DWORD flags) {
    return ferrow::UniqueFile(
        ::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, flags, nullptr));
}
