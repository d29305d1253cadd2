#pragma once
// Stores what the parent set in the console's copy of Config.ini.

class CWarrowControl;

namespace console {

// Writes the control's settings. The console read Config.ini when it
// started; the child shell, which may have run since, keeps the current
// play or rest period and its count in the same file. Those two are taken
// from the file again first, so a save of the options never hands the child
// back the time already used.
void SaveSettings(CWarrowControl& control);

} // namespace console
