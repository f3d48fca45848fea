// The error box of a build without windows: the message goes to stderr, so an
// error that nothing caught is still seen.
#include <cstdio>

#include "base/Error.h"

namespace base {

void PresentError(const std::string& message) { std::fprintf(stderr, "error: %s\n", message.c_str()); }

}  // namespace base
