// main() of every Windows test program: the tests run on an apartment-threaded (OLE) thread, as the
// shell's calls do.
#include <gtest/gtest.h>

#include <ole2.h>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    HRESULT hr = ::OleInitialize(nullptr);
    int result = RUN_ALL_TESTS();
    if (SUCCEEDED(hr)) ::OleUninitialize();
    return result;
}
