#include "console/SettingsSave.h"

#include "core/CWarrowControl.h"
#include "ltl/CIni.h"

#include <string>

namespace console {

namespace {

void TakeFromFile(const ltl::CIni& ini, const char* key, int& value) {
    const std::string text = ini.GetString("Time", key);
    if (!text.empty()) {
        value = ltl::CIni::ParseProfileInt(text);
    }
}

} // namespace

void SaveSettings(CWarrowControl& control) {
    ltl::CIni ini(false, -1, "");
    if (ini.Open("Config.ini")) {
        tagConfig& config = control.GetConfig();
        TakeFromFile(ini, "TimeStyle", config.TimeStyle);
        TakeFromFile(ini, "CountTime", config.CountTime);
    }
    control.Save(); // a missing file is reported by the library
}

} // namespace console
