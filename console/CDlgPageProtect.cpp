#include "console/CDlgPageProtect.h"

#include "console/DialogLook.h"
#include "console/ProtectActions.h"
#include "skin/CGlazeButton.h"

#include <QPainter>

using console::Box;

namespace {

// The schedule's row under the picture's four rows (which start at 104, one every 52 pixels).
const QRect kScheduleRow(68, 313, 560, 32);

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
      m_pUsageLog(new CGlazeButton(this)), m_pTimeControl(new CGlazeButton(this)),
      m_pSchedule(new CGlazeButton(this)) {
    connect(m_pPassword, &QAbstractButton::clicked, this,
            [this] { console::ChangeParentPassword(window()); });
    connect(m_pBaseSetup, &QAbstractButton::clicked, this, [this] { console::OpenBaseSetup(window()); });
    connect(m_pUsageLog, &QAbstractButton::clicked, this, [this] { console::OpenUsageLog(window()); });
    connect(m_pTimeControl, &QAbstractButton::clicked, this, [this] { console::OpenTimeControl(window()); });
    m_pSchedule->setText(QStringLiteral("作息时间"));
    connect(m_pSchedule, &QAbstractButton::clicked, this, [this] { console::OpenSchedule(window()); });
}

bool CDlgPageProtect::OnInitDialog() {
    const bool loaded = CDlgPageBase::OnInitDialog();
    m_picture.LoadGlazeImage("Resource/家长界面/保护设置/安全保护背景.bmp");
    TwoLooks(*m_pPassword, "密码设置01.bmp", "密码设置02.bmp", Box(13, 11, 108, 72));
    TwoLooks(*m_pBaseSetup, "基本设置00.bmp", "基本设置02.bmp", Box(113, 11, 208, 72));
    TwoLooks(*m_pUsageLog, "使用记录00.bmp", "使用记录02.bmp", Box(213, 11, 308, 72));
    TwoLooks(*m_pTimeControl, "时间控制00.bmp", "时间控制02.bmp", Box(313, 11, 408, 72));
    console::PushButtonLook(*m_pSchedule, QRect(kScheduleRow.left(), kScheduleRow.top() + 4, 82, 24));
    return loaded;
}

bool CDlgPageProtect::OnEraseBkgnd(QPainter* dc) {
    if (!CDlgPageBase::OnEraseBkgnd(dc)) {
        return false;
    }
    if (m_picture.IsLoad()) {
        m_picture.BitBlt(dc, 1, 1);
    }
    // The schedule's row, below the four the picture describes, in their look.
    QFont font = dc->font();
    font.setPixelSize(13);
    dc->setFont(font);
    dc->setPen(QColor(0x4A, 0x5E, 0x72));
    dc->drawText(QRect(kScheduleRow.left() + 94, kScheduleRow.top(), 400, kScheduleRow.height()),
                 Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("规定每周每天可以使用电脑的时段"));
    return true;
}
