#include "console/CDlgMessage.h"

#include "skin/CGlazeStatic.h"

namespace {
CDlgMessage* s_pNotice = nullptr;
}

CDlgMessage::CDlgMessage(QWidget* owner)
    : CGlazeDialog(owner, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus),
      m_pStatic(new CGlazeStatic(this)) {
    s_pNotice = this;
    setAttribute(Qt::WA_ShowWithoutActivating);
    m_timer.setSingleShot(true);
    m_timer.setInterval(kShowMs);
    connect(&m_timer, &QTimer::timeout, this, &QWidget::hide);
}

CDlgMessage::~CDlgMessage() {
    if (s_pNotice == this) {
        s_pNotice = nullptr;
    }
}

CDlgMessage* CDlgMessage::Instance() {
    return s_pNotice;
}

bool CDlgMessage::OnInitDialog() {
    if (!SetImage("Resource/家长界面/说明框.bmp")) {
        return false;
    }
    SetLayeredWindowAttributes(kGlazeColorKey, 0, LWA_COLORKEY);
    QFont font = m_pStatic->font();
    font.setPixelSize(12);
    m_pStatic->setFont(font);
    m_pStatic->SetFontColor(ToQColor(RGB(0x12, 0x52, 0x82)));
    m_pStatic->setGeometry(11, 13, 160, 120);
    return true;
}

void CDlgMessage::ShowNotice(const char* text) {
    if (text == nullptr) {
        m_timer.stop();
        hide();
        return;
    }
    m_pStatic->SetWindowTextA(QStringLiteral("瓦罗提示:\n") + QString::fromUtf8(text));
    m_timer.start(); // a running timer starts again
    show();
    raise();
}

QString CDlgMessage::Text() const {
    return m_pStatic->GetLabelText();
}

void ShowNotice(const char* text) {
    if (CDlgMessage* notice = CDlgMessage::Instance()) {
        notice->ShowNotice(text);
    }
}
