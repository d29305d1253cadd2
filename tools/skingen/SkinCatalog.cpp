#include "tools/skingen/SkinCatalog.h"

namespace skin {
namespace {

using V = std::array<SkinVariant, 4>;
constexpr V kSingle{{{"", Look::Normal}}};
// Four looks in state order (normal, pressed, hover, disabled).
constexpr V kFour00{
    {{"00", Look::Normal}, {"01", Look::Pressed}, {"02", Look::Hover}, {"03", Look::Disabled}}};
constexpr V kFour01{
    {{"01", Look::Normal}, {"02", Look::Pressed}, {"03", Look::Hover}, {"04", Look::Disabled}}};
// Two looks: the first for normal (and disabled), the second for pressed and hover.
constexpr V kPair00_02{{{"00", Look::Normal}, {"02", Look::Hover}}};
constexpr V kPair00_01{{{"00", Look::Normal}, {"01", Look::Hover}}};
// The tree button: 00 normal (and hover), 01 pressed.
constexpr V kPair00_01Pressed{{{"00", Look::Normal}, {"01", Look::Pressed}}};
constexpr V kPair01_02{{{"01", Look::Normal}, {"02", Look::Hover}}};
constexpr V kTaskButton{{{"00", Look::Normal}, {"01", Look::Pressed}, {"02", Look::Hover}}};
// Check box: 01 is both the pressed and the checked look.
constexpr V kCheck{{{"00", Look::Normal}, {"01", Look::Pressed}, {"03", Look::Disabled}}};

using S = Style;
using G = Glyph;

// Sizes come from the rectangles the windows place these controls in (a button
// image is the size of its button); window backgrounds give each window the
// size its controls need.
const std::vector<SkinFamily> kFamilies = {
    // child desktop and taskbar (stretched pieces are small)
    {"儿童界面/背景", kSingle, 1024, 768, S::KidDesktop, G::None, "", 0},
    {"儿童界面/任务栏背景", kSingle, 64, 48, S::KidTaskbar, G::None, "", 0},
    {"儿童界面/开始按钮", kPair00_02, 61, 48, S::KidStartButton, G::Star, "开始", 0},
    {"儿童界面/音量控制", kSingle, 48, 48, S::KidVolumeButton, G::Speaker, "", 0},
    {"儿童界面/日期背景", kSingle, 100, 48, S::KidClock, G::None, "", 0},
    {"儿童界面/任务栏按钮", kTaskButton, 72, 48, S::KidTaskButton, G::None, "", 0},
    // rest notice and exit dialog
    {"儿童界面/休息界面/休息背景", kSingle, 474, 296, S::KidRest, G::Moon, "休息一下，看看远方吧", 0},
    {"儿童界面/关闭界面/关闭背景", kSingle, 340, 128, S::KidExitPanel, G::None, "", 0},
    {"儿童界面/关闭界面/退出按钮", kPair00_01, 72, 62, S::KidExitButton, G::Exit, "退出", 0},
    {"儿童界面/关闭界面/重启按钮", kPair00_01, 72, 62, S::KidExitButton, G::Restart, "重启", 0},
    {"儿童界面/关闭界面/关机按钮", kPair00_01, 72, 62, S::KidExitButton, G::Power, "关机", 0},
    {"儿童界面/关闭界面/关闭按钮", kPair00_01, 36, 22, S::KidExitClose, G::Close, "", 0},
    // child browser
    {"儿童界面/IE/back", kSingle, 32, 256, S::BrowserBack, G::None, "", 0},
    {"儿童界面/IE/body", kSingle, 32, 46, S::BrowserBand, G::None, "", 0},
    {"儿童界面/IE/head", kSingle, 96, 46, S::BrowserHead, G::None, "", 0},
    {"儿童界面/IE/后退", kPair00_01, 34, 33, S::BrowserRoundButton, G::Back, "", 0},
    {"儿童界面/IE/前进", kPair00_01, 23, 22, S::BrowserRoundButton, G::Forward, "", 0},
    {"儿童界面/IE/刷新", kPair00_01, 26, 24, S::BrowserSquareButton, G::Refresh, "", 0},
    {"儿童界面/IE/停止", kPair00_01, 26, 24, S::BrowserSquareButton, G::Stop, "", 0},
    {"儿童界面/IE/关闭按钮", kPair00_01, 17, 16, S::BrowserTabClose, G::Close, "", 0},
    {"儿童界面/IE/显示", kPair00_01Pressed, 17, 16, S::BrowserSquareButton, G::Tree, "", 0},

    // console main window
    {"家长界面/界面背景", kSingle, 672, 510, S::ParentWindow, G::Shield, "", 0},
    {"家长界面/智能设置", kFour01, 82, 79, S::ParentPageButton, G::Wand, "智能设置", 0},
    {"家长界面/应用程序", kFour01, 82, 79, S::ParentPageButton, G::Apps, "应用程序", 0},
    {"家长界面/儿童浏览器", kFour01, 82, 79, S::ParentPageButton, G::Globe, "儿童浏览器", 0},
    {"家长界面/儿童文件夹", kFour01, 82, 79, S::ParentPageButton, G::Folder, "儿童文件夹", 0},
    {"家长界面/安全保护", kFour01, 82, 79, S::ParentPageButton, G::Shield, "安全保护", 0},
    {"家长界面/缩小", kFour01, 17, 18, S::ParentWindowButton, G::Minimise, "", 0},
    {"家长界面/叉", kFour01, 17, 18, S::ParentWindowButton, G::Close, "", 0},
    {"家长界面/按钮", kFour00, 82, 24, S::ParentButton, G::None, "", 0},
    {"家长界面/明途瓦罗", kSingle, 127, 116, S::ParentLogo, G::None, "瓦罗", 0},
    {"家长界面/说明框", kSingle, 177, 140, S::ParentNotice, G::None, "", 0},
    // pages
    {"家长界面/内容框", kSingle, 658, 347, S::ParentContent, G::None, "", 0},
    {"家长界面/内容框01", kSingle, 658, 347, S::ParentSmartPage, G::Wand, "智能设置", 0},
    {"家长界面/向导按钮", kFour00, 109, 37, S::ParentLauncher, G::Wand, "配置向导", 0},
    {"家长界面/官方网站按钮", kFour00, 212, 55, S::ParentWideLauncher, G::Globe, "官方网站", 0},
    {"家长界面/基本设置按钮", kFour00, 212, 55, S::ParentWideLauncher, G::Gear, "基本设置", 0},
    {"家长界面/使用记录按钮", kFour00, 212, 55, S::ParentWideLauncher, G::List, "使用记录", 0},
    {"家长界面/进入系统按钮", kFour00, 212, 55, S::ParentWideLauncher, G::Play, "进入系统", 0},
    {"家长界面/Thumb", kSingle, 15, 15, S::ParentSliderThumb, G::None, "", 0},
    {"家长界面/Slider", kSingle, 33, 89, S::ParentSliderChannel, G::None, "", 0},
    // security page and its dialogs
    {"家长界面/保护设置/密码框", kSingle, 280, 305, S::ParentDialog, G::Lock, "", 0},
    {"家长界面/保护设置/密码框叉", kPair00_02, 17, 16, S::ParentDialogClose, G::Close, "", 0},
    {"家长界面/保护设置/输入框", kSingle, 141, 21, S::ParentEditField, G::None, "", 0},
    {"家长界面/保护设置/时间控制框", kSingle, 280, 380, S::ParentDialog, G::Clock, "", 0},
    {"家长界面/保护设置/基本设置背景", kSingle, 387, 400, S::ParentBaseSetup, G::Gear, "", 0},
    {"家长界面/保护设置/关闭按钮", kPair00_02, 37, 22, S::ParentCornerClose, G::Close, "", 0},
    {"家长界面/保护设置/CheckButton", kCheck, 15, 15, S::ParentCheckBox, G::None, "", 0},
    {"家长界面/保护设置/安全保护背景", kSingle, 656, 345, S::ParentProtectPage, G::Shield, "", 0},
    {"家长界面/保护设置/密码设置", kPair01_02, 95, 61, S::ParentProtectTile, G::Lock, "密码设置", 0},
    {"家长界面/保护设置/基本设置", kPair00_02, 95, 61, S::ParentProtectTile, G::Gear, "基本设置", 0},
    {"家长界面/保护设置/使用记录", kPair00_02, 95, 61, S::ParentProtectTile, G::List, "使用记录", 0},
    {"家长界面/保护设置/时间控制", kPair00_02, 95, 61, S::ParentProtectTile, G::Clock, "时间控制", 0},
    // setup guide
    {"家长界面/向导界面/向导界面背景", kSingle, 674, 508, S::ParentGuide, G::Wand, "", 0},
    {"家长界面/向导界面/步骤1", kSingle, 674, 421, S::ParentGuideStep, G::None, "", 1},
    {"家长界面/向导界面/步骤2", kSingle, 674, 421, S::ParentGuideStep, G::None, "", 2},
    {"家长界面/向导界面/步骤3", kSingle, 674, 421, S::ParentGuideStep, G::None, "", 3},
};

} // namespace

bool IsKeyed(Style style) {
    switch (style) {
    case S::KidStartButton:
    case S::KidVolumeButton:
    case S::KidExitButton:
    case S::KidExitClose:
    case S::BrowserRoundButton:
    case S::BrowserSquareButton:
    case S::BrowserTabClose:
    case S::ParentWindow:
    case S::ParentPageButton:
    case S::ParentWindowButton:
    case S::ParentButton:
    case S::ParentLauncher:
    case S::ParentWideLauncher:
    case S::ParentLogo:
    case S::ParentNotice:
    case S::ParentDialogClose:
    case S::ParentBaseSetup:
    case S::ParentCornerClose:
    case S::ParentCheckBox:
    case S::ParentProtectTile:
    case S::ParentGuide:
        return true;
    default:
        return false;
    }
}

const std::vector<SkinFamily>& SkinFamilies() {
    return kFamilies;
}

std::vector<SkinFile> SkinFiles() {
    std::vector<SkinFile> files;
    for (const SkinFamily& family : kFamilies) {
        for (const SkinVariant& variant : family.variants) {
            if (variant.suffix == nullptr)
                continue;
            files.push_back({std::string("Resource/") + family.stem + variant.suffix + ".bmp", family.width,
                             family.height, family.style, family.glyph, variant.look, family.caption,
                             family.number, IsKeyed(family.style)});
        }
    }
    return files;
}

} // namespace skin
