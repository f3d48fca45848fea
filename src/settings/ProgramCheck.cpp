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

bool StoredProgramExists(const IniFile& settings, const TextSetting& programPath) {
    std::string path = settings.Read(programPath.Or(defaults::Missing));
    return path.size() <= kMaxProgramPath && CanOpenForReading(path);
}
