#include "console/CDlgPageProtect.h"

#include "console/DialogLook.h"
#include "console/ProtectActions.h"
#include "skin/CGlazeButton.h"

using console::Box;

namespace {

// `normal` for the normal and disabled looks, `second` for pressed and hover.
void TwoLooks(CGlazeButton& button, const char* normal, const char* second, const QRect& where) {
    const QByteArray first =
        (QStringLiteral("Resource/家长界面/保护设置/") + QString::fromUtf8(normal)).toUtf8();
    const QByteArray other =
        (QStringLiteral("Resource/家长界面/保护设置/") + QString::fromUtf8(second)).toUtf8();
    button.SetImage(first.constData(), 0);
    button.SetImage(other.constData(), 1);
    button.SetImage(other.constData(), 2);
    button.SetImage(first.constData(), 3);
    button.setGeometry(where);
}

} // namespace

CDlgPageProtect::CDlgPageProtect(QWidget* parent)
    : CDlgPageBase(parent), m_pPassword(new CGlazeButton(this)), m_pBaseSetup(new CGlazeButton(this)),
      m_pUsageLog(new CGlazeButton(this)), m_pTimeControl(new CGlazeButton(this)) {
    connect(m_pPassword, &QAbstractButton::clicked, this,
            [this] { console::ChangeParentPassword(window()); });
    connect(m_pBaseSetup, &QAbstractButton::clicked, this, [this] { console::OpenBaseSetup(window()); });
    connect(m_pUsageLog, &QAbstractButton::clicked, this, [this] { console::OpenUsageLog(window()); });
    connect(m_pTimeControl, &QAbstractButton::clicked, this, [this] { console::OpenTimeControl(window()); });
}

bool CDlgPageProtect::OnInitDialog() {
    const bool loaded = CDlgPageBase::OnInitDialog();
    m_picture.LoadGlazeImage("Resource/家长界面/保护设置/安全保护背景.bmp");
    TwoLooks(*m_pPassword, "密码设置01.bmp", "密码设置02.bmp", Box(13, 11, 108, 72));
    TwoLooks(*m_pBaseSetup, "基本设置00.bmp", "基本设置02.bmp", Box(113, 11, 208, 72));
    TwoLooks(*m_pUsageLog, "使用记录00.bmp", "使用记录02.bmp", Box(213, 11, 308, 72));
    TwoLooks(*m_pTimeControl, "时间控制00.bmp", "时间控制02.bmp", Box(313, 11, 408, 72));
    return loaded;
}

bool CDlgPageProtect::OnEraseBkgnd(QPainter* dc) {
    if (!CDlgPageBase::OnEraseBkgnd(dc)) {
        return false;
    }
    if (m_picture.IsLoad()) {
        m_picture.BitBlt(dc, 1, 1);
    }
    return true;
}
