#pragma once
// The built-in texts: the title, the settings file name and every default.

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

inline constexpr int DefaultTimeOutSec = 10;
inline constexpr char DefaultTimeOutText[] = "10";

}  // namespace defaults
