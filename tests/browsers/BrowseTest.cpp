#include <windows.h>

#include <gtest/gtest.h>

#include "browsers/Browse.h"
#include "browsers/CommandLine.h"
#include "settings/Defaults.h"
#include "settings/IniFile.h"
#include "support/Scratch.h"
#include "base/Text.h"

TEST(Browse, ProgramPathsByKind) {
    scratch::Folder folder;
    IniFile settings(folder / "Quillbarrow.ini");
    Browse browse(settings, ProgramSearch(scratch::ProgramPlaces(folder)));
    EXPECT_EQ(browse.ProgramPath(0), defaults::IEProgramPath);
    EXPECT_EQ(browse.ProgramPath(1), defaults::ChromePathTemplate);  // "%USER%" left as it is
    EXPECT_EQ(browse.ProgramPath(2), defaults::FirefoxProgramPath);
    EXPECT_EQ(browse.ProgramPath(3), defaults::OperaProgramPath);
    EXPECT_EQ(browse.ProgramPath(5), "");
    EXPECT_EQ(browse.CommandLine(-1, "a"), std::nullopt);
    EXPECT_EQ(browse.CommandLine(4, "a"), std::nullopt);  // no Edge path stored, none found

    settings.WriteString("FIREFOX", "PATH", "C:\\Apps\\FF\\firefox.exe");
    settings.WriteString("CHROME", "PATH", "C:\\Apps\\chrome.exe");
    EXPECT_EQ(browse.CommandLine(2, "192.0.2.8/test"), "\"C:\\Apps\\FF\\firefox.exe\" 192.0.2.8/test");
    EXPECT_EQ(browse.CommandLine(1, "a"), "\"C:\\Apps\\chrome.exe\" a");
    // Internet Explorer's path is fixed, whatever the settings file holds.
    EXPECT_EQ(browse.CommandLine(0, "taruo.net/e/?"),
              "\"" + std::string(defaults::IEProgramPath) + "\" taruo.net/e/?");

    // Where the installers put them, unless a stored path is there.
    const std::string chrome = folder / "Local\\Google\\Chrome\\Application\\chrome.exe";
    const std::string edge = folder / "PF\\Microsoft\\Edge\\Application\\msedge.exe";
    const std::string mine = folder / "mine\\chrome.exe";
    for (const std::string& path : {chrome, edge, mine}) scratch::PlaceStandInBrowser(path);
    EXPECT_EQ(browse.ProgramPath(1), chrome);
    EXPECT_EQ(browse.CommandLine(4, "a"), "\"" + edge + "\" a");
    settings.WriteString("CHROME", "PATH", mine);
    EXPECT_EQ(browse.ProgramPath(1), mine);
    EXPECT_EQ(settings.ReadString("EDGE", "PATH", "<absent>"), "<absent>");
}

TEST(Browse, LaunchStartsTheProgramWithTheExactCommandLine) {
    scratch::Folder folder;
    const std::string record = folder / "record.txt";
    SetEnvironmentVariableW(L"QB_STANDIN_RECORD", base::Widen(record).c_str());
    IniFile settings(folder / "Quillbarrow.ini");
    settings.WriteString("FIREFOX", "PATH", scratch::HelperProgram("StandInBrowser.exe"));
    Browse browse(settings, ProgramSearch(scratch::ProgramPlaces(folder)));

    ASSERT_TRUE(browse.Launch(2, "192.0.2.8/test"));
    std::string recorded = scratch::WaitForFile(record);
    EXPECT_EQ(recorded, "\"" + scratch::HelperProgram("StandInBrowser.exe") + "\" 192.0.2.8/test\n" +
                            std::to_string(STARTF_USESIZE) + " 800 600\n");

    // Refused launches start nothing: once the launch after them has left its
    // record, that record is the only one.
    DeleteFileW(base::Widen(record).c_str());
    EXPECT_FALSE(browse.Launch(2, std::string(kMaxCommandLine, 'x')));
    EXPECT_FALSE(browse.Launch(2, "192.0.2.8/a --b"));
    settings.WriteString("OPERA", "PATH", folder / "missing\\opera.exe");
    EXPECT_FALSE(browse.Launch(3, "192.0.2.8/test"));
    EXPECT_FALSE(browse.Launch(7, "192.0.2.8/test"));
    ASSERT_TRUE(browse.Launch(2, "192.0.2.8/after"));
    EXPECT_EQ(scratch::WaitForFile(record), "\"" + scratch::HelperProgram("StandInBrowser.exe") +
                                                "\" 192.0.2.8/after\n" + std::to_string(STARTF_USESIZE) +
                                                " 800 600\n");
    SetEnvironmentVariableW(L"QB_STANDIN_RECORD", nullptr);
}
