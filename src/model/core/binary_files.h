// Which files the client is to keep as binary (-kb): by name, one list for every place that adds or imports
// files, so an added file and an imported one are never treated apart; and by content. Platform-free.
#pragma once

#include <string_view>

// Wildcard patterns ('*' and '?') of a file's name.
inline constexpr const char* kBinaryFilePatterns[] = {
    "*.png", "*.jpg", "*.jpeg", "*.gif", "*.bmp", "*.ico", "*.tif", "*.tiff", "*.pdf", "*.zip", "*.gz",
    "*.7z", "*.rar", "*.jar", "*.exe", "*.dll", "*.lib", "*.obj", "*.doc", "*.docx", "*.xls", "*.xlsx",
    "*.ppt", "*.pptx", "*.mp3", "*.wav", "*.avi", "*.mp4", "*.chm", "*.msi"};

// Binary by content: the bytes hold a NUL, or begin with a UTF-16 byte order mark (FF FE or FE FF; a
// UTF-16 text need hold no NUL at all, and the client's line-end and keyword handling would corrupt it).
// A UTF-8 byte order mark is text. The caller decides how much of the file to pass.
bool IsBinaryContent(std::string_view bytes);
