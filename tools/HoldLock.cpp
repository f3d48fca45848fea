// Holds a file exactly as a running Firefox holds its profile's parent.lock:
// read and write access, no sharing, created anew.
//
//   HoldLock.exe <path> <ready event> <parent process>
//
// The two handles are inherited, given by number. The event is set once the
// file is held; the file is kept until this process is ended or its parent ends.
#include <windows.h>

#include <cstdint>

#include "base/Handles.h"

namespace {
HANDLE Inherited(const wchar_t* number) {
    return reinterpret_cast<HANDLE>(static_cast<uintptr_t>(_wcstoui64(number, nullptr, 10)));
}
}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 4) return 2;
    HANDLE h = CreateFileW(argv[1], GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return 3;
    base::UniqueHandle lock(h);
    SetEvent(Inherited(argv[2]));
    WaitForSingleObject(Inherited(argv[3]), INFINITE);
    return 0;
}
