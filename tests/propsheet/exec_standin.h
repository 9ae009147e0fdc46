// A stand-in for the command runner, linked into this test program only: it records each command and
// plays the client by copying a recorded output into the file named after the command's last "> ".
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct ExecStandIn {
    std::string outputFixture;  // file copied to the redirect target; empty: leave the target as it is
    HRESULT result = S_OK;
    int runs = 0;
    std::string lastTemplate;
    std::vector<std::string> lastSelection;
    std::string lastTarget;  // the redirect target, without quotes
};

ExecStandIn& Standin();
