#include "settings/UserPath.h"

namespace userpath {

std::string Expand(const std::string& path, const std::string& loginName) {
    const std::string placeholder = kPlaceholder;
    size_t at = path.find(placeholder);
    if (at == std::string::npos) return path;
    return path.substr(0, at) + loginName + path.substr(at + placeholder.size());
}

}  // namespace userpath
