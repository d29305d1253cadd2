#include "tools/glazegallery/Gallery.h"

#include "skin/CGlazeButton.h"
#include "skin/CGlazeCheckButton.h"
#include "skin/CGlazeDialog.h"
#include "skin/CGlazeEdit.h"
#include "skin/CGlazeSliderCtrl2.h"
#include "skin/CGlazeStatic.h"
#include "skin/CGlazeTabCtrl.h"
#include "skin/CGlazeTextButton.h"

#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QTreeWidget>

namespace gallery {
namespace {

const QColor kInk(0x14, 0x4F, 0x7F);
const QColor kTitle(0x16, 0x3A, 0x71);
const QColor kLabel(0x12, 0x52, 0x82);
const QColor kGrey(0x4B, 0x4B, 0x4B);

// A button whose state can be set from outside, to picture each look.
template <class Button> struct Posed : Button {
    using Button::Button;
    void Pose(int state) { this->SetState(static_cast<CGlazeButton::enButtonState>(state)); }
};

QRect Box(int left, int top, int right, int bottom) {
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

CGlazeButton* FourStateButton(QWidget* parent, const QString& stem, const QRect& where, int first) {
    auto* button = new Posed<CGlazeButton>(parent);
    button->setGeometry(where);
    for (int state = 0; state < 4; ++state)
        button->SetImage(QStringLiteral("%1%2.bmp")
                             .arg(stem)
                             .arg(first + state, 2, 10, QLatin1Char('0'))
                             .toUtf8()
                             .constData(),
                         state);
    return button;
}

void StandardLook(CGlazeButton& button, const QString& caption) {
    for (int state = 0; state < 4; ++state)
        button.SetImage(QStringLiteral("Resource/家长界面/按钮%1.bmp")
                            .arg(state, 2, 10, QLatin1Char('0'))
                            .toUtf8()
                            .constData(),
                        state);
    button.setText(caption);
    button.SetTextColor(kInk);
    button.SetTextShadow(SHADOW_DROP, Qt::white);
}

void PairLook(CGlazeButton& button, const char* first, const char* second) {
    button.SetImage(first, 0);
    button.SetImage(second, 1);
    button.SetImage(second, 2);
    button.SetImage(first, 3);
}

CGlazeTextButton* TextLink(QWidget* parent, const QString& text, const QRect& where) {
    auto* link = new Posed<CGlazeTextButton>(parent);
    link->setGeometry(where);
    link->setText(text);
    link->SetTextAlign(DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    link->SetTextColor(QColor(0x01, 0x37, 0xAE), 0);
    link->SetTextColor(QColor(0x39, 0x73, 0xF2), 1);
    link->SetTextColor(QColor(0x39, 0x73, 0xF2), 2);
    link->SetTextColor(QColor(0x80, 0x80, 0x80), 3);
    QFont underlined = link->font();
    underlined.setUnderline(true);
    link->setFont(underlined);
    return link;
}

CGlazeStatic* Label(QWidget* parent, const QString& text, const QRect& where, const QColor& colour,
                    unsigned format = DT_VCENTER | DT_WORDBREAK) {
    auto* label = new CGlazeStatic(parent);
    label->setGeometry(where);
    label->SetFontColor(colour);
    label->SetFormat(format);
    label->SetWindowTextA(text);
    return label;
}

// A desktop-like backdrop the windows are pictured on.
QImage Canvas(int width, int height) {
    QImage canvas(width, height, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&canvas);
    QLinearGradient fill(0, 0, width, height);
    fill.setColorAt(0, QColor(0x5B, 0x7C, 0x9D));
    fill.setColorAt(1, QColor(0x8F, 0xAC, 0xC6));
    p.fillRect(canvas.rect(), fill);
    return canvas;
}

} // namespace

QImage Shot(QWidget& widget) {
    const QPixmap pixels = widget.grab();
    QImage shot(pixels.size(), QImage::Format_ARGB32_Premultiplied);
    shot.fill(Qt::transparent);
    QPainter p(&shot);
    if (!widget.mask().isEmpty())
        p.setClipRegion(widget.mask());
    p.drawPixmap(0, 0, pixels);
    return shot;
}

static QImage ConsoleShot() {
    CGlazeDialog window;
    window.SetLayeredWindowAttributes(kGlazeColorKey, 0, LWA_COLORKEY);
    window.SetImage("Resource/家长界面/界面背景.bmp");
    window.SetDragRect(QRect(0, 0, 672, 39));
    window.setWindowTitle(QStringLiteral("Tavi儿童保护系统"));
    window.SetTextColor(kTitle);
    window.SetTextShadow(SHADOW_DROP, Qt::white);

    const struct {
        const char* stem;
        QRect where;
    } pages[] = {{"智能设置", Box(7, 47, 89, 126)},
                 {"应用程序", Box(102, 47, 184, 126)},
                 {"儿童浏览器", Box(195, 47, 277, 126)},
                 {"儿童文件夹", Box(289, 47, 371, 126)},
                 {"安全保护", Box(384, 47, 466, 126)}};
    for (const auto& page : pages) {
        auto* button = new CGlazeCheckButton(&window);
        button->setGeometry(page.where);
        for (int state = 0; state < 4; ++state)
            button->SetImage(QStringLiteral("Resource/家长界面/%1%2.bmp")
                                 .arg(QString::fromUtf8(page.stem))
                                 .arg(state + 1, 2, 10, QLatin1Char('0'))
                                 .toUtf8()
                                 .constData(),
                             state);
        if (page.where.left() == 7)
            button->CheckButton(true);
        if (page.where.left() == 289)
            button->SetDisable(1);
    }
    FourStateButton(&window, QStringLiteral("Resource/家长界面/缩小"), Box(627, 11, 644, 29), 1);
    FourStateButton(&window, QStringLiteral("Resource/家长界面/叉"), Box(648, 11, 665, 29), 1);

    auto* page = new CGlazeDialog(&window, Qt::Widget);
    page->SetImage("Resource/家长界面/内容框01.bmp");
    page->move(7, 141);
    page->show();
    auto* about = new QLabel(page);
    about->setWordWrap(true);
    about->setGeometry(48, 40, 340, 80);
    about->setStyleSheet(QStringLiteral("color: #144F7F;"));
    about->setText(QStringLiteral(
        "<瓦罗>将帮助您智能设置儿童系统下的各级应用程序、文件夹、和可浏览安全网页，帮助家长管理儿童模式。"
        "从而让孩子使用电脑更加安全，健康，适时。"));
    about->setTextFormat(Qt::PlainText);
    FourStateButton(page, QStringLiteral("Resource/家长界面/向导按钮"), Box(168, 209, 277, 246), 0);
    const char* launchers[] = {"官方网站按钮", "基本设置按钮", "使用记录按钮", "进入系统按钮"};
    for (int i = 0; i < 4; ++i)
        FourStateButton(page, QStringLiteral("Resource/家长界面/%1").arg(QString::fromUtf8(launchers[i])),
                        Box(435, 10 + 62 * i, 647, 65 + 62 * i), 0);
    TextLink(page, QStringLiteral("你提我改"), QRect(190, 250, 60, 20));

    Label(&window, QStringLiteral("账号:%1").arg(88888, 7), QRect(10, 490, 100, 16), kGrey,
          DT_VCENTER | DT_SINGLELINE);
    TextLink(&window, QStringLiteral("[更换]"), QRect(94, 490, 40, 14));
    TextLink(&window, QStringLiteral("[升级]"), QRect(134, 490, 40, 14))->SetDisable(1);
    TextLink(&window, QStringLiteral("[切换到儿童保护模式]"), QRect(174, 490, 200, 14));
    Label(&window, QStringLiteral("1.0.0.0"), QRect(500, 490, 200, 16), kGrey, DT_VCENTER | DT_SINGLELINE);
    TextLink(&window, QStringLiteral("帮助"), QRect(627, 50, 40, 20));
    TextLink(&window, QStringLiteral("退出"), QRect(627, 70, 40, 20));
    // The title has a font of its own; the controls keep theirs.
    QFont controlFont(QStringLiteral("Noto Sans CJK SC"));
    controlFont.setPixelSize(12);
    for (QWidget* child : window.findChildren<QWidget*>()) {
        QFont own = controlFont;
        own.setUnderline(child->font().underline());
        child->setFont(own);
    }
    QFont titleFont(QStringLiteral("Noto Sans CJK SC"));
    titleFont.setPixelSize(16);
    window.setFont(titleFont);

    CGlazeDialog logo;
    logo.SetLayeredWindowAttributes(kGlazeColorKey, 0, LWA_COLORKEY);
    logo.SetImage("Resource/家长界面/明途瓦罗.bmp");
    CGlazeDialog notice;
    notice.SetLayeredWindowAttributes(kGlazeColorKey, 0, LWA_COLORKEY);
    notice.SetImage("Resource/家长界面/说明框.bmp");
    Label(&notice,
          QStringLiteral("瓦罗提示:\n您可以在此设置家长密码、开机进入模式、自动更新、使用时间控制等"),
          QRect(11, 13, 160, 120), kLabel);

    QImage shot(177 + 672, 510, QImage::Format_ARGB32_Premultiplied);
    shot.fill(Qt::transparent);
    QPainter p(&shot);
    p.drawImage(0, 285, Shot(notice));
    p.drawImage(177 - 127, 510 - 116, Shot(logo));
    p.drawImage(177, 0, Shot(window));
    return shot;
}

static QImage PasswordShot() {
    CGlazeDialog dialog;
    dialog.SetImage("Resource/家长界面/保护设置/密码框.bmp");
    dialog.setWindowTitle(QStringLiteral("设置家长密码"));
    dialog.SetTextColor(kInk);
    dialog.SetTextShadow(SHADOW_DROP, Qt::white);
    const struct {
        const char* text;
        QRect label;
        QRect edit;
    } rows[] = {{"输入原密码", Box(26, 132, 256, 148), Box(114, 127, 255, 148)},
                {"设置新密码", Box(26, 163, 184, 180), Box(114, 159, 255, 180)},
                {"确认新密码", Box(26, 193, 184, 211), Box(114, 190, 255, 211)}};
    for (const auto& row : rows) {
        Label(&dialog, QString::fromUtf8(row.text), row.label, kLabel);
        auto* edit = new CGlazeEdit(&dialog);
        edit->SetImage("Resource/家长界面/保护设置/输入框.bmp");
        edit->setEchoMode(QLineEdit::Password);
        edit->setGeometry(row.edit);
        edit->setText(QStringLiteral("secret"));
    }
    Label(
        &dialog,
        QStringLiteral(
            "温馨提示：        家长密码用于退出儿童保护                              系统，请保管好该密码。"),
        Box(26, 220, 262, 262), QColor(0xDC, 0x32, 0x12));
    auto* ok = new CGlazeButton(&dialog);
    ok->move(48, 268);
    StandardLook(*ok, QStringLiteral("确  定"));
    auto* cancel = new Posed<CGlazeButton>(&dialog);
    cancel->move(152, 268);
    StandardLook(*cancel, QStringLiteral("取  消"));
    cancel->Pose(CGlazeButton::STATE_HOVER);
    auto* close = new CGlazeButton(&dialog);
    close->move(260, 4);
    PairLook(*close, "Resource/家长界面/保护设置/密码框叉00.bmp",
             "Resource/家长界面/保护设置/密码框叉02.bmp");

    return Shot(dialog);
}

namespace {

// A window whose skin is stretched over its whole area, as the child desktop,
// taskbar and browser draw theirs.
class Stretched : public QWidget {
public:
    Stretched(QWidget* parent, const char* path) : QWidget(parent) { m_skin.LoadGlazeImage(path); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        m_skin.StretchBlt(&p, rect());
    }

private:
    CGlazeBitmap m_skin;
};

// A task button with a made-up application icon where the program draws the real one.
class TaskSample : public Posed<CGlazeButton> {
public:
    TaskSample(QWidget* parent, const QColor& icon) : Posed<CGlazeButton>(parent), m_icon(icon) {}

protected:
    void DrawItem(QPainter& dc, const QRect& item) override {
        CGlazeButton::DrawItem(dc, item);
        dc.setRenderHint(QPainter::Antialiasing);
        dc.setPen(Qt::NoPen);
        dc.setBrush(m_icon);
        dc.drawRoundedRect(QRectF(item.left() + 20, item.top() + 8, 32, 32), 8, 8);
        dc.setBrush(QColor(255, 255, 255, 170));
        dc.drawEllipse(QRectF(item.left() + 28, item.top() + 16, 16, 16));
    }

private:
    QColor m_icon;
};

void DesktopIcons(QPainter& p) {
    const struct {
        QColor colour;
        const char* name;
    } apps[] = {{QColor(0xFF, 0x70, 0x43), "画图"},
                {QColor(0x29, 0xB6, 0xF6), "儿童浏览器"},
                {QColor(0x9C, 0xCC, 0x65), "拼图游戏"}};
    p.setRenderHint(QPainter::Antialiasing);
    for (int i = 0; i < 3; ++i) {
        const QRect cell(16, 16 + i * 84, 80, 80);
        p.setPen(Qt::NoPen);
        p.setBrush(apps[i].colour);
        p.drawRoundedRect(QRectF(cell.center().x() - 24, cell.top(), 48, 48), 12, 12);
        p.setBrush(QColor(255, 255, 255, 180));
        p.drawEllipse(QPointF(cell.center().x(), cell.top() + 24), 11, 11);
        const QRect text(cell.left() - 10, cell.top() + 52, cell.width() + 20, 20);
        p.setPen(QColor(0, 0x4E, 0x98));
        p.drawText(text.translated(1, 1), Qt::AlignCenter, QString::fromUtf8(apps[i].name));
        p.setPen(Qt::white);
        p.drawText(text, Qt::AlignCenter, QString::fromUtf8(apps[i].name));
    }
}

} // namespace

QImage ChildScreen() {
    const int width = 960;
    const int height = 600;
    Stretched desktop(nullptr, "Resource/儿童界面/背景.bmp");
    desktop.resize(width, height);
    auto* taskbar = new Stretched(&desktop, "Resource/儿童界面/任务栏背景.bmp");
    taskbar->setGeometry(0, height - 48, width, 48);
    auto* start = new Posed<CGlazeButton>(taskbar);
    PairLook(*start, "Resource/儿童界面/开始按钮00.bmp", "Resource/儿童界面/开始按钮02.bmp");
    start->setGeometry(0, 0, 61, 48);
    const QColor icons[] = {QColor(0xFF, 0x70, 0x43), QColor(0x29, 0xB6, 0xF6), QColor(0x9C, 0xCC, 0x65)};
    for (int i = 0; i < 3; ++i) {
        auto* task = new TaskSample(taskbar, icons[i]);
        task->SetAutoStretch(true);
        task->SetImage("Resource/儿童界面/任务栏按钮00.bmp", 0);
        task->SetImage("Resource/儿童界面/任务栏按钮01.bmp", 1);
        task->SetImage("Resource/儿童界面/任务栏按钮02.bmp", 2);
        task->setGeometry(75 + 72 * i, 0, 72, 48);
        task->Pose(i == 1 ? CGlazeButton::STATE_PRESSED : CGlazeButton::STATE_NORMAL);
    }
    auto* clock = Label(taskbar, QString(), QRect(width - 100, 0, 100, 48), Qt::white,
                        DT_RIGHT | DT_VCENTER | DT_SINGLELINE);
    clock->SetImage("Resource/儿童界面/日期背景.bmp");
    QFont clockFont(QStringLiteral("Ariel"));
    clockFont.setPixelSize(20); // a 24-unit cell height is a 20-pixel font
    clock->setFont(clockFont);
    clock->SetWindowTextA(QStringLiteral("09:05  "));
    auto* volume = new CGlazeButton(taskbar);
    volume->move(width - 100, 0);
    for (int state = 0; state < 3; ++state)
        volume->SetImage("Resource/儿童界面/音量控制.bmp", state);

    CGlazeDialog exit;
    exit.SetImage("Resource/儿童界面/关闭界面/关闭背景.bmp");
    const struct {
        const char* stem;
        QRect where;
    } buttons[] = {{"退出按钮", Box(49, 40, 121, 102)},
                   {"重启按钮", Box(133, 40, 205, 102)},
                   {"关机按钮", Box(217, 40, 289, 102)},
                   {"关闭按钮", Box(304, 0, 340, 22)}};
    for (const auto& button : buttons) {
        auto* b = new Posed<CGlazeButton>(&exit);
        b->setGeometry(button.where);
        const QString stem = QStringLiteral("Resource/儿童界面/关闭界面/") + QString::fromUtf8(button.stem);
        PairLook(*b, (stem + QStringLiteral("00.bmp")).toUtf8().constData(),
                 (stem + QStringLiteral("01.bmp")).toUtf8().constData());
        if (button.where.left() == 49)
            b->Pose(CGlazeButton::STATE_HOVER);
    }

    QImage canvas = Shot(desktop);
    QPainter p(&canvas);
    DesktopIcons(p);
    p.fillRect(QRect(0, 0, width, height), QColor(0, 0, 0, 128)); // the overlay behind the exit dialog
    p.drawImage((width - 340) / 2, (height - 128) / 2, Shot(exit));
    return canvas;
}

static QImage RestShot() {
    CGlazeDialog rest;
    rest.SetImage("Resource/儿童界面/休息界面/休息背景.bmp");
    rest.SetTextColor(QColor(20, 58, 113));
    QFont font(QStringLiteral("Noto Sans CJK SC"));
    font.setPixelSize(15);
    font.setBold(true);
    rest.setFont(font);
    rest.setWindowTitle(QStringLiteral("休息时间剩余：25分钟"));
    return Shot(rest);
}

QImage BrowserScreen() {
    const int width = 820;
    const int height = 380;
    const int right = width; // the title bar's right edge
    Stretched window(nullptr, "Resource/儿童界面/IE/back.bmp");
    window.resize(width, height);
    auto* band = new Stretched(&window, "Resource/儿童界面/IE/body.bmp");
    band->setGeometry(0, 0, width, 46);
    auto* head = new Stretched(&window, "Resource/儿童界面/IE/head.bmp");
    head->setGeometry(0, 0, 96, 46);
    const struct {
        const char* stem;
        QRect where;
    } tools[] = {{"后退", QRect(16, 7, 34, 33)},
                 {"前进", QRect(51, 12, 23, 22)},
                 {"刷新", QRect(right - 260, 12, 26, 24)},
                 {"停止", QRect(right - 234, 12, 26, 24)}};
    for (const auto& tool : tools) {
        auto* b = new CGlazeButton(&window);
        b->setGeometry(tool.where);
        const QString stem = QStringLiteral("Resource/儿童界面/IE/") + QString::fromUtf8(tool.stem);
        PairLook(*b, (stem + QStringLiteral("00.bmp")).toUtf8().constData(),
                 (stem + QStringLiteral("01.bmp")).toUtf8().constData());
    }
    auto* address = new QLineEdit(&window);
    address->setGeometry(100, 12, right - 360, 24);
    address->setReadOnly(true);
    address->setText(QStringLiteral("http://127.0.0.1/kids/"));

    auto* tree = new QTreeWidget(&window);
    tree->setHeaderHidden(true);
    tree->setGeometry(3, 52, 242, height - 55);
    const struct {
        const char* folder;
        const char* sites[2];
    } folders[] = {{"学习乐园", {"古诗三百首", "趣味数学"}}, {"动画天地", {"童话故事", "科学小实验"}}};
    for (const auto& folder : folders) {
        auto* item = new QTreeWidgetItem(tree, {QString::fromUtf8(folder.folder)});
        for (const char* site : folder.sites)
            new QTreeWidgetItem(item, {QString::fromUtf8(site)});
        item->setExpanded(true);
    }
    auto* tabs = new CGlazeTabCtrl(&window);
    tabs->setGeometry(250, 52, width - 253, 24);
    tabs->addTab(QStringLiteral("古诗三百首"));
    tabs->addTab(QStringLiteral("空白页"));
    tabs->addTab(QStringLiteral("新建选项卡"));
    auto* pageArea = new QLabel(&window);
    pageArea->setGeometry(250, 76, width - 253, height - 79);
    pageArea->setAutoFillBackground(true);
    pageArea->setStyleSheet(QStringLiteral("background: white;"));
    pageArea->setAlignment(Qt::AlignCenter);
    pageArea->setText(QStringLiteral("（网页内容）"));
    auto* closePage = new CGlazeButton(&window);
    PairLook(*closePage, "Resource/儿童界面/IE/关闭按钮00.bmp", "Resource/儿童界面/IE/关闭按钮01.bmp");
    closePage->move(250 + tabs->tabRect(0).right() - 21, 52 + (tabs->tabRect(0).height() - 16) / 2);
    return Shot(window);
}

QImage ControlSheet() {
    QWidget sheet;
    sheet.resize(720, 330);
    QPalette colours = sheet.palette();
    colours.setColor(QPalette::Window, QColor(0xF6, 0xFA, 0xFE));
    sheet.setPalette(colours);
    sheet.setAutoFillBackground(true);
    const int left = 150;
    for (int state = 0; state < 4; ++state) {
        auto* button = new Posed<CGlazeButton>(&sheet);
        button->move(left + state * 96, 14);
        StandardLook(*button, QStringLiteral("确  定"));
        button->Pose(state);

        auto* check = new Posed<CGlazeCheckButton>(&sheet);
        check->move(left + state * 96, 58);
        check->SetImage("Resource/家长界面/保护设置/CheckButton00.bmp", 0);
        check->SetImage("Resource/家长界面/保护设置/CheckButton01.bmp", 1);
        check->SetImage("Resource/家长界面/保护设置/CheckButton00.bmp", 2);
        check->SetImage("Resource/家长界面/保护设置/CheckButton03.bmp", 3);
        check->CheckButton(state % 2 == 1);
        if (state >= 2)
            check->SetDisable(1);

        auto* link = TextLink(&sheet, QStringLiteral("[升级]"), QRect(left + state * 96, 88, 60, 18));
        static_cast<Posed<CGlazeTextButton>*>(link)->Pose(state);

        auto* page = new Posed<CGlazeButton>(&sheet);
        page->move(left + state * 96, 116);
        for (int s = 0; s < 4; ++s)
            page->SetImage(QStringLiteral("Resource/家长界面/儿童浏览器%1.bmp")
                               .arg(s + 1, 2, 10, QLatin1Char('0'))
                               .toUtf8()
                               .constData(),
                           s);
        page->Pose(state);
    }
    auto* edit = new CGlazeEdit(&sheet);
    edit->SetImage("Resource/家长界面/保护设置/输入框.bmp");
    edit->setGeometry(left, 214, 141, 21);
    edit->setText(QStringLiteral("家长密码"));
    for (int level = 0; level < 3; ++level) {
        auto* slider = new CGlazeSliderCtrl2(Qt::Vertical, &sheet);
        slider->setRange(0, 2);
        slider->setValue(level);
        slider->SetImage("Resource/家长界面/Thumb.bmp", "Resource/家长界面/Slider.bmp");
        slider->setGeometry(left + 170 + level * 44, 206, 33, 89);
    }
    Label(&sheet, QStringLiteral("限制级别：高\n描述：您的孩子只能访问完全匹配该网址的内容"),
          QRect(left + 310, 206, 240, 90), Qt::black);

    QImage shot = Shot(sheet);
    QPainter p(&shot);
    p.setPen(kInk);
    const struct {
        int y;
        const char* name;
    } rows[] = {{14, "CGlazeButton"},  {54, "CGlazeCheckButton"}, {86, "CGlazeTextButton"},
                {146, "page buttons"}, {214, "CGlazeEdit"},       {250, "CGlazeSliderCtrl2"},
                {276, "CGlazeStatic"}};
    for (const auto& row : rows)
        p.drawText(QRect(12, row.y, 130, 24), Qt::AlignLeft | Qt::AlignVCenter, QString::fromUtf8(row.name));
    const char* states[] = {"normal", "pressed", "hover", "disabled"};
    for (int state = 0; state < 4; ++state)
        p.drawText(QRect(left + state * 96, 306, 90, 18), Qt::AlignLeft, QString::fromUtf8(states[state]));
    return shot;
}

QImage SettingsScreen() {
    CGlazeDialog setup;
    setup.SetLayeredWindowAttributes(kGlazeColorKey, 0, LWA_COLORKEY);
    setup.SetImage("Resource/家长界面/保护设置/基本设置背景.bmp");
    setup.setWindowTitle(QStringLiteral("基本设置"));
    setup.SetTextColor(QColor(0x14, 0x3A, 0x71));
    setup.SetTextShadow(SHADOW_DROP, Qt::white);
    const struct {
        QRect where;
        bool checked;
        bool disabled;
    } options[] = {{Box(61, 91, 76, 106), true, false},  {Box(80, 112, 95, 127), false, false},
                   {Box(80, 131, 95, 146), true, false}, {Box(80, 229, 95, 244), false, false},
                   {Box(80, 249, 95, 264), true, false}, {Box(80, 270, 95, 285), false, false}};
    for (const auto& option : options) {
        auto* check = new CGlazeCheckButton(&setup);
        check->setGeometry(option.where);
        check->SetImage("Resource/家长界面/保护设置/CheckButton00.bmp", 0);
        check->SetImage("Resource/家长界面/保护设置/CheckButton01.bmp", 1);
        check->SetImage("Resource/家长界面/保护设置/CheckButton00.bmp", 2);
        check->SetImage("Resource/家长界面/保护设置/CheckButton03.bmp", 3);
        check->CheckButton(option.checked);
    }
    auto* save = new CGlazeButton(&setup);
    save->move(157, 363);
    StandardLook(*save, QStringLiteral("设  置"));
    auto* cancel = new CGlazeButton(&setup);
    cancel->move(257, 363);
    StandardLook(*cancel, QStringLiteral("取  消"));
    auto* close = new Posed<CGlazeButton>(&setup);
    close->move(350, 0);
    PairLook(*close, "Resource/家长界面/保护设置/关闭按钮00.bmp",
             "Resource/家长界面/保护设置/关闭按钮02.bmp");

    CGlazeDialog guide;
    guide.SetLayeredWindowAttributes(kGlazeColorKey, 0, LWA_COLORKEY);
    guide.SetImage("Resource/家长界面/向导界面/向导界面背景.bmp");
    guide.setWindowTitle(QStringLiteral("配置向导"));
    guide.SetTextColor(kTitle);
    guide.SetTextShadow(SHADOW_DROP, Qt::white);
    auto* step = new CGlazeDialog(&guide, Qt::Widget);
    step->SetImage("Resource/家长界面/向导界面/步骤2.bmp");
    step->setGeometry(0, 39, 674, 421);
    Label(step, QStringLiteral("IE收藏夹的网页列表"), QRect(15, 107, 300, 14), QColor(0x1E, 0x1E, 0x1E),
          DT_VCENTER | DT_SINGLELINE);
    auto* next = new CGlazeButton(&guide);
    next->move(489, 471);
    StandardLook(*next, QStringLiteral("下一步"));
    auto* finish = new CGlazeButton(&guide);
    finish->move(582, 471);
    StandardLook(*finish, QStringLiteral("完 成"));
    finish->SetDisable(1);
    FourStateButton(&guide, QStringLiteral("Resource/家长界面/叉"), Box(648, 11, 665, 29), 1);

    CGlazeDialog protect;
    protect.SetImage("Resource/家长界面/内容框.bmp");
    auto* band = new QLabel(&protect);
    band->setPixmap(QPixmap(QStringLiteral("Resource/家长界面/保护设置/安全保护背景.bmp")));
    band->adjustSize();
    band->move(1, 1);
    const char* tiles[][2] = {{"密码设置01", "密码设置02"},
                              {"基本设置00", "基本设置02"},
                              {"使用记录00", "使用记录02"},
                              {"时间控制00", "时间控制02"}};
    for (int i = 0; i < 4; ++i) {
        auto* tile = new Posed<CGlazeButton>(&protect);
        tile->move(13 + 100 * i, 11);
        const QString folder = QStringLiteral("Resource/家长界面/保护设置/");
        PairLook(*tile,
                 (folder + QString::fromUtf8(tiles[i][0]) + QStringLiteral(".bmp")).toUtf8().constData(),
                 (folder + QString::fromUtf8(tiles[i][1]) + QStringLiteral(".bmp")).toUtf8().constData());
        if (i == 1)
            tile->Pose(CGlazeButton::STATE_HOVER);
    }

    const QImage setupShot = Shot(setup);
    const QImage guideShot = Shot(guide);
    const QImage protectShot = Shot(protect);
    QImage canvas = Canvas(24 + guideShot.width() + 32 + setupShot.width() + 24,
                           24 + guideShot.height() + 32 + protectShot.height() + 24);
    QPainter p(&canvas);
    p.drawImage(24, 24, guideShot);
    p.drawImage(24 + guideShot.width() + 32, 24, setupShot);
    p.drawImage(24, 24 + guideShot.height() + 32, protectShot);
    return canvas;
}

// A shot on the backdrop with a margin around it.
static QImage Framed(const QImage& shot) {
    QImage canvas = Canvas(shot.width() + 48, shot.height() + 48);
    QPainter p(&canvas);
    p.drawImage(24, 24, shot);
    return canvas;
}

QImage ConsoleScreen() {
    return Framed(ConsoleShot());
}

QImage PasswordScreen() {
    return Framed(PasswordShot());
}

QImage RestScreen() {
    return Framed(RestShot());
}

QImage Overview() {
    const QImage console = ConsoleShot();
    const QImage password = PasswordShot();
    const QImage rest = RestShot().scaledToWidth(password.width(), Qt::SmoothTransformation);
    const int width = 24 + console.width() + 32 + password.width() + 24;
    const QImage child = ChildScreen().scaledToWidth(width - 48, Qt::SmoothTransformation);
    QImage canvas = Canvas(width, 24 + console.height() + 32 + child.height() + 24);
    QPainter p(&canvas);
    p.drawImage(24, 24, console);
    const int right = 24 + console.width() + 32;
    p.drawImage(right, 24, password);
    p.drawImage(right, 24 + console.height() - rest.height(), rest);
    p.drawImage(24, 24 + console.height() + 32, child);
    return canvas;
}

} // namespace gallery
