// GoogleTest's main, keeping the arguments after the GoogleTest flags: the
// built uninstallers and the build's entry list, as Unix paths.
#include <gtest/gtest.h>

#include <string>
#include <vector>

std::vector<std::wstring> g_testArguments;

int wmain(int argc, wchar_t** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    for (int i = 1; i < argc; ++i) g_testArguments.push_back(argv[i]);
    return RUN_ALL_TESTS();
}
