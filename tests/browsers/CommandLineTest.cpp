#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>
#endif

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "browsers/CommandLine.h"
#include "settings/Defaults.h"

#ifdef _WIN32
#include "base/Text.h"

namespace {
// The arguments a program finds in the line, as the system splits them.
std::vector<std::string> Arguments(const std::string& line) {
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(base::Widen(line).c_str(), &count);
    std::vector<std::string> out;
    for (int i = 0; argv && i < count; ++i) out.push_back(base::Narrow(argv[i]));
    LocalFree(argv);
    return out;
}
}  // namespace
#endif

TEST(CommandLine, QuotedPathBlankAddressWithinTheLimit) {
    struct Row {
        std::string path, address;
        std::optional<std::string> line;
    } rows[] = {
        {"C:\\Apps\\FF\\firefox.exe", "192.0.2.8/test", "\"C:\\Apps\\FF\\firefox.exe\" 192.0.2.8/test"},
        // A path with blanks names that one program, never "C:\Program.exe".
        {defaults::OperaProgramPath, "a", "\"" + std::string(defaults::OperaProgramPath) + "\" a"},
        {"C:\\Program Files\\Stand In\\chrome.exe", "http://h/e/?a=1&b=\\x",
         "\"C:\\Program Files\\Stand In\\chrome.exe\" http://h/e/?a=1&b=\\x"},
        // An address that would be more than one argument (for Chrome, switches), or a broken line.
        {"C:\\b.exe", "http://h/ --no-sandbox", std::nullopt},
        {"C:\\b.exe", "http://h/\"x", std::nullopt},
        {"C:\\b.exe", "http://h/\r\nx", std::nullopt},
        {"C:\\b\"c.exe", "a", std::nullopt},
        {"", "a", std::nullopt},
        {"C:\\b.exe", std::string(kMaxCommandLine - 11, 'x'),
         "\"C:\\b.exe\" " + std::string(kMaxCommandLine - 11, 'x')},
        {"C:\\b.exe", std::string(kMaxCommandLine - 10, 'x'), std::nullopt},
        {std::string(250, 'p'), "a", std::nullopt},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path + " | " + row.address);
        std::optional<std::string> line = ComposeCommandLine(row.path, row.address);
        EXPECT_EQ(line, row.line);
#ifdef _WIN32
        if (line) {
            EXPECT_EQ(Arguments(*line), (std::vector<std::string>{row.path, row.address}));
        }
#endif
    }
    // Counted in characters: 60 three-byte characters are 60, not 180.
    std::string wide;
    for (int i = 0; i < 60; ++i) wide += "あ";
    EXPECT_NE(ComposeCommandLine("C:\\" + wide + ".exe", std::string(100, 'x')), std::nullopt);
}
