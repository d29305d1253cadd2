#pragma once
// Every skin bitmap the suite's windows ask for: one row per control look,
// naming the file stem, the state files it comes in, the size that fits the
// control's rectangle and how it is drawn. skingen renders exactly these
// files; the tests hold the programs' file names against this list.

#include <array>
#include <string>
#include <vector>

namespace skin {

// Which look of a control a file carries.
enum class Look { Normal, Pressed, Hover, Disabled };

// The drawing recipe of a file (see SkinPainter.cpp).
enum class Style {
    // child screens
    KidDesktop,
    KidTaskbar,
    KidStartButton,
    KidVolumeButton,
    KidClock,
    KidTaskButton,
    KidRest,
    KidExitPanel,
    KidExitButton,
    KidExitClose,
    BrowserBack,
    BrowserBand,
    BrowserHead,
    BrowserRoundButton,
    BrowserSquareButton,
    BrowserTabClose,
    // parent screens
    ParentWindow,
    ParentPageButton,
    ParentWindowButton,
    ParentButton,
    ParentContent,
    ParentSmartPage,
    ParentLauncher,
    ParentWideLauncher,
    ParentLogo,
    ParentNotice,
    ParentSliderThumb,
    ParentSliderChannel,
    ParentDialog,
    ParentDialogClose,
    ParentEditField,
    ParentBaseSetup,
    ParentCornerClose,
    ParentCheckBox,
    ParentProtectPage,
    ParentProtectTile,
    ParentGuide,
    ParentGuideStep,
};

// Pictures drawn on buttons and panels.
enum class Glyph {
    None,
    Close,
    Minimise,
    Back,
    Forward,
    Refresh,
    Stop,
    Speaker,
    Power,
    Restart,
    Exit,
    Star,
    Shield,
    Lock,
    Gear,
    Clock,
    List,
    Globe,
    Wand,
    Apps,
    Folder,
    Play,
    Tree,
    Moon,
};

struct SkinVariant {
    const char* suffix = nullptr; // "" for a file without state suffix
    Look look = Look::Normal;
};

struct SkinFamily {
    const char* stem;                    // below Resource/, e.g. "家长界面/按钮"
    std::array<SkinVariant, 4> variants; // unused slots have a null suffix
    int width;
    int height;
    Style style;
    Glyph glyph;
    const char* caption; // rendered into the bitmap where it is the control's only label
    int number;          // the step number of a guide step, otherwise 0
};

// One file to render.
struct SkinFile {
    std::string path; // "Resource/家长界面/按钮00.bmp"
    int width;
    int height;
    Style style;
    Glyph glyph;
    Look look;
    std::string caption;
    int number;
    bool keyed; // drawn with the colour key: magenta RGB(255,0,255) outside its shape
};

const std::vector<SkinFamily>& SkinFamilies();
std::vector<SkinFile> SkinFiles();
// Whether the recipe leaves magenta around its shape (windows made layered
// with the colour key, buttons copied with it).
bool IsKeyed(Style style);

} // namespace skin
