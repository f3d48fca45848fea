#include <gtest/gtest.h>

#include <string>

#include "settings/ProfilesIni.h"

using namespace std::string_literals;

namespace {

std::string Show(const profiles::Place& p) { return p.path + (p.relative ? " (rel)" : " (abs)"); }

// The parse as one line: install defaults | marked defaults | Profile0.
std::string Show(const profiles::ProfilesIni& ini) {
    std::string out;
    for (const auto& p : ini.installDefaults) out += Show(p) + ";";
    out += " | ";
    for (const auto& p : ini.markedDefaults) out += Show(p) + ";";
    out += " | ";
    out += ini.profile0 ? Show(*ini.profile0) : "-";
    return out;
}

}  // namespace

TEST(ProfilesIni, Parse) {
    struct Case {
        std::string bytes;
        const char* parsed;
    } cases[] = {
        // The file of 2012: one profile, no Install section.
        {"[General]\r\nStartWithLastProfile=1\r\n\r\n"
         "[Profile0]\r\nName=default\r\nIsRelative=1\r\nPath=Profiles/x.default\r\n",
         " |  | Profiles/x.default (rel)"},
        // After an upgrade: the installation's default is Profile1, the old
        // Profile0 still says Default=1.
        {"[Install308046B0AF4A39CB]\nDefault=Profiles/b.default-release\nLocked=1\n\n"
         "[Profile1]\nName=default-release\nIsRelative=1\nPath=Profiles/b.default-release\n\n"
         "[Profile0]\nName=default\nIsRelative=1\nPath=Profiles/a.default\nDefault=1\n\n"
         "[General]\nStartWithLastProfile=1\nVersion=2\n",
         "Profiles/b.default-release (rel); | Profiles/a.default (rel); | Profiles/a.default (rel)"},
        // An absolute profile: the Install section names it as its Path does.
        {"[Profile0]\r\nIsRelative=0\r\nPath=D:\\Firefox\\Own Profile\r\n"
         "[InstallE7CF176E110C211B]\r\nDefault=D:\\Firefox\\Own Profile\r\n",
         "D:\\Firefox\\Own Profile (abs); |  | D:\\Firefox\\Own Profile (abs)"},
        {"[Profile3]\nIsRelative=0\nPath=Profiles/odd\n[Install1]\nDefault=Profiles/odd\n",
         "Profiles/odd (abs); |  | -"},
        // An Install default with no profile section of its own: its form tells.
        {"[InstallA]\nDefault=Profiles/n.default\n[InstallB]\nDefault=E:\\p\n[InstallC]\nDefault=\n"
         "[Install]\nDefault=Profiles/not-an-install\n",
         "Profiles/n.default (rel);E:\\p (abs); |  | -"},
        // CR alone ends lines; names in any case; blanks around them; a BOM.
        {"\xEF\xBB\xBF[profile0]\r path = Profiles/cr.default \r isrelative = 1\r DEFAULT=1\r",
         " | Profiles/cr.default (rel); | Profiles/cr.default (rel)"},
        // Only [ProfileN] counts as a profile; the first of two keys or sections wins.
        {"[ProfileX]\nPath=Profiles/x\nDefault=1\n[Profile2]\nPath=Profiles/two\nPath=Profiles/other\n"
         "Default=1\n[Profile0]\nPath=Profiles/first\n[Profile0]\nPath=Profiles/second\n",
         " | Profiles/two (rel); | Profiles/first (rel)"},
        // A NUL cuts nothing short: the value is taken as absent.
        {"[Profile0]\nPath=C:\\Users\0\\x\nIsRelative=0\n[Profile1]\nPath=Profiles/ok\nDefault=1\n"s,
         " | Profiles/ok (rel); | -"},
        // Sections without Path, a Path before any section, garbage.
        {"Path=Profiles/early\n[Profile0]\nName=default\n[Install1]\nLocked=1\n", " |  | -"},
        {"\0\xFF[[[=\n]]]\n=\n[\n"s, " |  | -"},
        {"", " |  | -"},
    };
    for (const Case& c : cases) EXPECT_EQ(Show(profiles::Parse(c.bytes)), c.parsed) << c.bytes;
}

TEST(ProfilesIni, Folder) {
    struct Case {
        const char* path;
        bool relative;
        const char* folder;
    } cases[] = {
        {"Profiles/x.default", true, "F\\Profiles\\x.default"},
        {"a/b/c", true, "F\\a\\b/c"},  // only the first "/" is turned
        {"Profiles/x.default/", true, "F\\Profiles\\x.default"},
        {"Profiles/\xE6\x97\xA5\xE6\x9C\xAC", true, "F\\Profiles\\\xE6\x97\xA5\xE6\x9C\xAC"},
        {"x.default", true, ""},
        {"Profiles\\x.default", true, ""},
        {"Profiles/", true, ""},
        {"/x.default", true, ""},
        {"", true, ""},
        {"Profiles/../../Windows", true, ""},
        {"Profiles/a?b", true, ""},
        {"Profiles/C:\\x", true, ""},
        {"C:\\FF\\p", false, "C:\\FF\\p"},
        {"C:\\FF\\p\\", false, "C:\\FF\\p"},
        {"\\\\srv\\share\\p", false, "\\\\srv\\share\\p"},
        {"Profiles/x", false, ""},
        {"C:x", false, ""},
        {"C:\\", false, ""},
        {"\\\\srv", false, ""},
        {"C:\\FF\\..\\Windows", false, ""},
        {"C:\\FF\\a:b", false, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(profiles::Folder("F", {c.path, c.relative}), c.folder) << c.path << " " << c.relative;
    }
}
