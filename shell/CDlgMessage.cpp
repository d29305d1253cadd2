#include "shell/CDlgMessage.h"

#include "skin/CGlazeStatic.h"

namespace {
CDlgMessage* s_pMessage = nullptr;
}

CDlgMessage::CDlgMessage(QWidget* owner)
    : CGlazeDialog(owner, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus),
      m_pStatic(new CGlazeStatic(this)) {
    s_pMessage = this;
    setAttribute(Qt::WA_ShowWithoutActivating);
    m_timer.setSingleShot(true);
    m_timer.setInterval(kShowMs);
    connect(&m_timer, &QTimer::timeout, this, &QWidget::hide);
}

CDlgMessage::~CDlgMessage() {
    if (s_pMessage == this) {
        s_pMessage = nullptr;
    }
}

CDlgMessage* CDlgMessage::Instance() {
    return s_pMessage;
}

bool CDlgMessage::OnInitDialog() {
    if (!SetImage("Resource/家长界面/说明框.bmp")) {
        return false;
    }
    SetLayeredWindowAttributes(kGlazeColorKey, 0, LWA_COLORKEY);
    m_pStatic->SetFontColor(ToQColor(RGB(18, 82, 130)));
    m_pStatic->setGeometry(11, 17, 140, 120);
    return true;
}

void CDlgMessage::ShowMessage(const QString& message) {
    m_pStatic->SetWindowTextA(QStringLiteral("瓦罗提示:\n") + message);
    m_timer.start();
    show();
    raise();
}

QString CDlgMessage::Text() const {
    return m_pStatic->GetLabelText();
}

void ShowMessage(const QString& message) {
    if (CDlgMessage* box = CDlgMessage::Instance()) {
        box->ShowMessage(message);
    }
}
