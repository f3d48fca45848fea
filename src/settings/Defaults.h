#pragma once
// The built-in texts: the title, the settings file name and every default;
// and every key of the settings file, by name.
#include <cstdint>

namespace defaults {

inline constexpr char AppTitle[] = "Quillbarrow2012 ";
inline constexpr char IniFileName[] = "Quillbarrow.ini";

inline constexpr char DefaultUserId[] = "";
inline constexpr char DefaultPassword[] = "";
inline constexpr char DefaultAnonymousUrl[] = "www.cybersyndrome.net/pla5.html";
inline constexpr char DefaultNonAnonymousUrl[] = "www.cybersyndrome.net/pld5.html";
inline constexpr char DefaultSpeedRankUrl[] = "www.cybersyndrome.net/plr5.html";
inline constexpr char DefaultChecker1Url[] = "taruo.net/e/?";
inline constexpr char DefaultChecker2Url[] = "www.ugtop.com/spill.shtml";
inline constexpr char DefaultIdPassUrl[] = "";

inline constexpr char ProviderSiteUrl[] = "http://www.cybersyndrome.net";

// The text that stands for a missing value.
inline constexpr char Missing[] = "0";

inline constexpr char OperaIniTemplate[] =
    "C:\\Documents and Settings\\%USER%\\Application Data\\Opera\\Opera\\operaprefs.ini";
inline constexpr char ChromePathTemplate[] =
    "C:\\Documents and Settings\\%USER%\\Local Settings\\Application "
    "Data\\Google\\Chrome\\Application\\chrome.exe";
inline constexpr char IEProgramPath[] = "C:\\Program Files\\Internet Explorer\\IEXPLORE.EXE";
inline constexpr char FirefoxProgramPath[] = "C:\\Program Files\\Mozilla Firefox\\firefox.exe";
inline constexpr char OperaProgramPath[] = "C:\\Program Files\\Opera\\Opera.exe";

inline constexpr char DefaultTimeOutText[] = "10";

}  // namespace defaults

// A key of the settings file and what reading it gives when it is missing.
template <typename T>
struct Setting {
    const char* section;
    const char* key;
    T fallback;

    // The same key for a reader that wants another default.
    constexpr Setting Or(T other) const { return {section, key, other}; }
};
using TextSetting = Setting<const char*>;
using IntSetting = Setting<int32_t>;

namespace setting {

inline constexpr IntSetting MainTop{"POSITION", "M_TOP", 300};
inline constexpr IntSetting MainLeft{"POSITION", "M_LEFT", 300};
inline constexpr IntSetting DialogTop{"POSITION", "S_TOP", 300};
inline constexpr IntSetting DialogLeft{"POSITION", "S_LEFT", 300};
inline constexpr IntSetting ListType{"SERVER", "TYPE", 0};
inline constexpr IntSetting ListOption{"SERVER", "ANYOPTION", 1};
inline constexpr TextSetting DefaultProxy{"URL", "DEFAULT", ""};
inline constexpr TextSetting AnonymousUrl{"URL", "ANONYMOUS", defaults::DefaultAnonymousUrl};
inline constexpr TextSetting NonAnonymousUrl{"URL", "NONANONYMOUS", defaults::DefaultNonAnonymousUrl};
inline constexpr TextSetting SpeedRankUrl{"URL", "SPEEDRANK", defaults::DefaultSpeedRankUrl};
inline constexpr TextSetting Checker1Url{"URL", "CHECKER1", defaults::DefaultChecker1Url};
inline constexpr TextSetting Checker2Url{"URL", "CHECKER2", defaults::DefaultChecker2Url};
inline constexpr TextSetting IdPassUrl{"URL", "IDPASS", defaults::DefaultIdPassUrl};
inline constexpr IntSetting TerminalOption{"TERMINAL", "OPTION", 1};
inline constexpr TextSetting OperaIniFile{"OPERA", "INIFILE", defaults::OperaIniTemplate};
inline constexpr TextSetting OperaPath{"OPERA", "PATH", defaults::OperaProgramPath};
inline constexpr TextSetting FirefoxIniFile{"FIREFOX", "INIFILE", ""};
inline constexpr TextSetting FirefoxPath{"FIREFOX", "PATH", defaults::FirefoxProgramPath};
// 1: Firefox takes its proxy from the Windows settings, which every switch
// then writes; 0 (and anything but 1): the switches go to prefs.js.
inline constexpr IntSetting FirefoxFollowWindows{"FIREFOX", "FOLLOW_WINDOWS", 0};
inline constexpr TextSetting ChromePath{"CHROME", "PATH", defaults::ChromePathTemplate};
// Empty: the program is searched for where it is installed.
inline constexpr TextSetting EdgePath{"EDGE", "PATH", ""};
inline constexpr IntSetting DefaultBrowser{"BROWSER", "DEFAULT", 0};
inline constexpr TextSetting CyberUserId{"CYBER", "USERID", defaults::DefaultUserId};
inline constexpr TextSetting CyberPassword{"CYBER", "PASSWORD", defaults::DefaultPassword};
// A number kept as the text the user typed: the dialog shows and stores it as
// it stands, the main window reads it as a number.
inline constexpr TextSetting TimeOut{"TIMEOUT", "PROXY", defaults::DefaultTimeOutText};
// 0 turns the check of the listed proxies off, and the watch with it.
inline constexpr IntSetting CheckEnable{"CHECK", "ENABLE", 1};
// Seconds between two asks of the proxy in use, kept as the user typed them;
// ini::WatchSeconds says what they mean. "0" is off.
inline constexpr TextSetting Watch{"CHECK", "WATCH", "0"};
// 1: when the proxy in use stops answering, switch to the next answering
// one; anything else only tells the user.
inline constexpr IntSetting AutoNext{"CHECK", "AUTONEXT", 0};

}  // namespace setting
