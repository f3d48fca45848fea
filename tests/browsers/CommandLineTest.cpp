#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "browsers/CommandLine.h"
#include "settings/Defaults.h"

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
    for (const Row& row : rows)
        EXPECT_EQ(ComposeCommandLine(row.path, row.address), row.line) << row.path << " | " << row.address;
    // Counted in characters: 60 three-byte characters are 60, not 180.
    std::string wide;
    for (int i = 0; i < 60; ++i) wide += "あ";
    EXPECT_NE(ComposeCommandLine("C:\\" + wide + ".exe", std::string(100, 'x')), std::nullopt);
}
