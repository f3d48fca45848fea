#include "settings/ProgramCheck.h"

#include <cstdio>

#include "settings/Defaults.h"
#include "base/Text.h"

bool CanOpenForReading(const std::string& path) {
    if (path.empty()) return false;
    FILE* f = _wfopen(base::Widen(path).c_str(), L"rb");
    if (!f) return false;
    fclose(f);
    return true;
}

bool StoredProgramExists(const IniFile& settings, const std::string& section) {
    std::string path = settings.ReadString(section, "PATH", defaults::Missing);
    return path.size() <= kMaxProgramPath && CanOpenForReading(path);
}
