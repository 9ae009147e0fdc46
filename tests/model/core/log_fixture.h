// Reads a recorded client output from tests/data/logs and parses it from memory.
#pragma once

#include "model/core/cvs_log.h"

#include <fstream>
#include <sstream>
#include <string>

inline std::string ReadLogFixture(const std::string& name) {
    std::ifstream in(std::string(FERROW_TEST_DATA) + "/logs/" + name, std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    return all.str();
}

inline bool ParseLogText(const std::string& text, CCVSLog& log) {
    MemoryLineSplitter reader(text);
    return ParseLogLines(reader, log);
}
