// The settings file when it cannot be written: read-only, or held open by
// another program with no sharing. Reads fall back to their defaults, writes
// raise the settings write error, the file keeps every byte, and no handle
// stays open.
#include <windows.h>

#include <gtest/gtest.h>

#include "settings/IniFile.h"
#include "settings/WholeFile.h"
#include "support/Scratch.h"
#include "base/Text.h"

namespace {

const std::string kSettings = "[BROWSER]\r\nBROWSER=2\r\n[URL]\r\nDEFAULT=192.0.2.4:80\r\n";

DWORD HandleCount() {
    DWORD n = 0;
    GetProcessHandleCount(GetCurrentProcess(), &n);
    return n;
}

std::string WriteError(IniFile& ini) {
    try {
        ini.WriteString("URL", "DEFAULT", "192.0.2.9:3128");
    } catch (const EIniFileException& e) {
        return e.what();
    }
    return "no error";
}

}  // namespace

TEST(FaultSettings, ReadOnlyFileRefusesWritesAndKeepsItsBytes) {
    scratch::Folder folder;
    const std::string path = folder / "Quillbarrow.ini";
    scratch::WriteBytes(path, kSettings);
    scratch::SetReadOnly(path, true);
    // Wine keeps the attribute as the owner's write permission, which root
    // ignores: there the system itself writes the file, and so would Windows
    // for an administrator's override. Nothing of ours to check then.
    HANDLE probe = CreateFileW(base::Widen(path).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    if (probe != INVALID_HANDLE_VALUE) {
        CloseHandle(probe);
        scratch::SetReadOnly(path, false);
        GTEST_SKIP() << "the read-only attribute does not stop writes here";
    }
    DWORD before = HandleCount();
    {
        IniFile ini(path);
        EXPECT_EQ(ini.ReadInteger("BROWSER", "BROWSER", 0), 2);
        EXPECT_EQ(WriteError(ini), path + " に書き込めません");
        EXPECT_THROW(ini.WriteInteger("POSITION", "M_TOP", 5), EIniFileException);
    }
    EXPECT_EQ(HandleCount(), before);
    scratch::SetReadOnly(path, false);
    EXPECT_EQ(scratch::ReadBytes(path), kSettings);
}

TEST(FaultSettings, FileHeldWithoutSharingReadsDefaultsAndRefusesWrites) {
    scratch::Folder folder;
    const std::string path = folder / "Quillbarrow.ini";
    scratch::WriteBytes(path, kSettings);
    HANDLE lock = CreateFileW(base::Widen(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    DWORD before = HandleCount();
    {
        IniFile ini(path);
        EXPECT_EQ(ini.ReadInteger("BROWSER", "BROWSER", 0), 0);
        EXPECT_EQ(ini.ReadString("URL", "DEFAULT", "0"), "0");
        EXPECT_EQ(WriteError(ini), path + " に書き込めません");
    }
    EXPECT_EQ(HandleCount(), before);
    CloseHandle(lock);
    EXPECT_EQ(scratch::ReadBytes(path), kSettings);
    // Once released, the same object writes again.
    IniFile ini(path);
    EXPECT_EQ(WriteError(ini), "no error");
    EXPECT_EQ(ini.ReadString("URL", "DEFAULT", ""), "192.0.2.9:3128");
    EXPECT_EQ(ini.ReadInteger("BROWSER", "BROWSER", 0), 2);
}

TEST(FaultSettings, FolderThatIsAFileRefusesWrites) {
    // A settings "folder" that cannot hold files, the closest stand-in for a
    // full or read-only volume that a test can make.
    scratch::Folder folder;
    scratch::WriteBytes(folder / "blocked", "not a folder");
    const std::string path = folder / "blocked\\Quillbarrow.ini";
    IniFile ini(path);
    EXPECT_EQ(ini.ReadString("URL", "DEFAULT", "0"), "0");
    EXPECT_EQ(WriteError(ini), path + " に書き込めません");
    EXPECT_EQ(scratch::ReadBytes(folder / "blocked"), "not a folder");
}

TEST(FaultSettings, RefusedReplaceLeavesNoScratchFile) {
    scratch::Folder folder;
    const std::string path = folder / "prefs.js";
    scratch::WriteBytes(path, kSettings);
    // Open elsewhere without delete sharing: readable, but the rename over it is refused.
    HANDLE held = CreateFileW(base::Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(ReplaceWholeFile(path, "replaced"));
    CloseHandle(held);
    EXPECT_EQ(scratch::ReadBytes(path), kSettings);
    int files = 0;
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW(base::Widen(folder / "*").c_str(), &found);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ++files;
    } while (FindNextFileW(find, &found));
    FindClose(find);
    EXPECT_EQ(files, 1);
}
