// The buffered line reader over an open file, used for CVS/Entries and the client's log output.
#pragma once

#include "common/handles.h"
#include "model/core/line_splitter.h"

class CLineReader : public LineSplitter {
public:
    CLineReader() = default;
    // Takes ownership of an open file handle; it is closed when the reader is destroyed.
    explicit CLineReader(HANDLE file) : file_(file) {}
    void Attach(HANDLE file) { file_.Reset(file); }

protected:
    int32_t ReadBlock(char* buffer, size_t size, size_t& got) override;

private:
    ferrow::UniqueFile file_;
};

// Opens a file for reading, sharing it for reading only, as every reader of the extension does.
ferrow::UniqueFile OpenForReading(const char* path, DWORD flags = FILE_ATTRIBUTE_NORMAL);
