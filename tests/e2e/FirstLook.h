#pragma once
// The settings dialog as a new user first sees it, for the README: defaults
// only, no settings file yet, and the browsers where their installers put
// them. Run by make screenshots after the scenario; not a test.
namespace e2e {

// Starts the program with no settings file, pictures its settings dialog as
// "settings" and closes it again. False when a window did not come.
bool FirstLookShots();

}  // namespace e2e
