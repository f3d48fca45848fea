#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "browsers/CommandLine.h"
#include "settings/Defaults.h"

TEST(CommandLine, PathBlankAddressWithinTheLimit) {
    EXPECT_EQ(ComposeCommandLine("C:\\Apps\\FF\\firefox.exe", "192.0.2.8/test"),
              "C:\\Apps\\FF\\firefox.exe 192.0.2.8/test");
    EXPECT_EQ(ComposeCommandLine(defaults::OperaProgramPath, "a"),
              std::string(defaults::OperaProgramPath) + " a");
    const std::string path = "C:\\b.exe";
    EXPECT_NE(ComposeCommandLine(path, std::string(kMaxCommandLine - path.size() - 1, 'x')), std::nullopt);
    EXPECT_EQ(ComposeCommandLine(path, std::string(kMaxCommandLine - path.size(), 'x')), std::nullopt);
    EXPECT_EQ(ComposeCommandLine(std::string(250, 'p'), "a"), std::nullopt);
    EXPECT_EQ(ComposeCommandLine("", "a"), std::nullopt);
    // Counted in characters: 60 three-byte characters are 60, not 180.
    std::string wide;
    for (int i = 0; i < 60; ++i) wide += "あ";
    EXPECT_NE(ComposeCommandLine("C:\\" + wide + ".exe", std::string(100, 'x')), std::nullopt);
}
