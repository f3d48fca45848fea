#include "support/LockHolder.h"

#include <windows.h>

#include "base/Text.h"
#include "support/Scratch.h"

namespace scratch {

LockHolder::LockHolder(const std::string& path) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    base::UniqueHandle ready(CreateEventW(&inherit, TRUE, FALSE, nullptr));
    HANDLE self = nullptr;
    DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &self, SYNCHRONIZE, TRUE,
                    0);
    base::UniqueHandle parent(self);
    std::wstring line = L"\"" + base::Widen(HelperProgram("HoldLock.exe")) + L"\" \"" + base::Widen(path) +
                        L"\" " + std::to_wstring(reinterpret_cast<uintptr_t>(ready.get())) + L" " +
                        std::to_wstring(reinterpret_cast<uintptr_t>(parent.get()));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                        &started))
        return;
    base::UniqueHandle thread(started.hThread);
    process_.reset(started.hProcess);
    HANDLE either[] = {ready.get(), process_.get()};
    if (WaitForMultipleObjects(2, either, FALSE, 30000) != WAIT_OBJECT_0) End();
}

bool LockHolder::Holding() const {
    return process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT;
}

void LockHolder::End() {
    if (!process_) return;
    TerminateProcess(process_.get(), 0);
    WaitForSingleObject(process_.get(), INFINITE);
    process_.reset();
}

}  // namespace scratch
