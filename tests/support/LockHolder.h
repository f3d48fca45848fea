#pragma once
// A second process holding a file as a running Firefox holds parent.lock in
// its profile folder (tools/HoldLock.cpp).
#include <string>

#include "base/Handles.h"

namespace scratch {

class LockHolder {
public:
    // Returns once the file is held, or the helper has failed (Holding() false).
    explicit LockHolder(const std::string& path);
    ~LockHolder() { End(); }
    LockHolder(const LockHolder&) = delete;
    LockHolder& operator=(const LockHolder&) = delete;

    bool Holding() const;
    // Ends the process and waits for it; the file stays behind, as Firefox leaves it.
    void End();

private:
    base::UniqueHandle process_;
};

}  // namespace scratch
