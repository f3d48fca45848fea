#pragma once
// Reaching into another program's windows the way a user's input would:
// finding top-level windows and their controls by class and caption, posting
// clicks and keys, and reading back captions, list items and status panels.
// Everything that waits polls with a time bound; nothing sleeps blindly.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "settings/RegFile.h"

namespace e2e {

// Polls `done` every few milliseconds until it holds or `ms` have passed.
bool WaitFor(const std::function<bool()>& done, int ms);

std::wstring TextOf(HWND hwnd);
std::wstring ClassOf(HWND hwnd);

// A visible top-level window of process `pid` whose caption starts with
// `prefix` (a null pid: any process); null when there is none.
HWND FindTopLevel(DWORD pid, const std::wstring& prefix, const wchar_t* cls = nullptr);
HWND WaitTopLevel(DWORD pid, const std::wstring& prefix, int ms, const wchar_t* cls = nullptr);
// The same, for a caption that is exactly `caption`.
HWND WaitTopLevelExactly(DWORD pid, const std::wstring& caption, int ms);

// The direct children of a window, in creation (z) order; the edit boxes
// inside editable drop-down lists are not among them.
std::vector<HWND> Children(HWND parent);
// The first direct child of that class and caption (any caption when null).
HWND Child(HWND parent, const wchar_t* cls, const wchar_t* caption = nullptr);
// The n-th direct child of that class, counting from 0.
HWND NthChild(HWND parent, const wchar_t* cls, int n);

// Status bar panel text. SB_GETTEXTW carries a pointer that the system does
// not carry across processes, so the text is read through a buffer placed in
// the owning process.
std::wstring PanelText(HWND statusBar, int panel);
std::vector<std::wstring> ComboItems(HWND combo);
bool Checked(HWND button);

// Input, posted so that this process never waits on a handler that runs long
// (a fetch, a modal dialog).
void Click(HWND button);                    // BM_CLICK, as a click or Space would
void MousePress(HWND control, bool right);  // button down and up at (5, 5)
void Key(HWND target, UINT vk);             // key down and up
void Type(HWND edit, const std::wstring& text);
void Alt(HWND window, wchar_t letter);  // the "&" accelerator, as Alt+letter
// The window with the keyboard focus in the thread that owns `window`.
HWND FocusOf(HWND window);

// A fresh folder e2e-scratch\<name> beside this program, holding a copy of
// Quillbarrow.exe and no settings file; returns its path.
std::string CopyProgramTo(const std::string& name);

// A program started from `line` (its path quoted) in `folder` (empty: this
// one's); ended by force at the end if it still runs.
struct Process {
    explicit Process(std::wstring line, const std::string& folder = {});
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    // The exit code once the process has ended (waiting up to 30 s), or
    // STILL_ACTIVE.
    DWORD ExitCode() const;
    bool Running() const;
    PROCESS_INFORMATION pi{};
};

// One start of the real program in a folder of its own (as CopyProgramTo
// makes).
struct ProgramCopy : Process {
    explicit ProgramCopy(const std::string& folder);
    // The main window, waiting up to ms for it; null when it does not appear.
    HWND MainWindow(int ms = 30000) const;
};

// The current user's Internet Settings, which the program switches for
// Internet Explorer, Chrome, Edge and today's Opera.
RegFile InternetSettings();

}  // namespace e2e
