#include "shell/CDlgRest.h"

#include "shell/PlayTime.h"
#include "shell/ShellLayout.h"

CDlgRest::CDlgRest() : CGlazeDialog(nullptr, Qt::Window | Qt::FramelessWindowHint) {
    m_countdown.setInterval(kCountdownMs);
    connect(&m_countdown, &QTimer::timeout, this, &CDlgRest::OnCountdown);
}

bool CDlgRest::OnInitDialog() {
    if (!SetImage("Resource/儿童界面/休息界面/休息背景.bmp")) {
        return false;
    }
    SetTextColor(ToQColor(RGB(20, 58, 113)));
    SetTextAlign(DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    QFont big = font();
    big.setPixelSize(16);
    big.setBold(true);
    setFont(big);
    move(ScreenRect().center() - rect().center());
    RefreshText();
    return true;
}

void CDlgRest::RefreshText() {
    setWindowTitle(QString::fromStdString(RestNoticeText(m_nRemaining)));
    update();
}

void CDlgRest::OnCountdown() {
    m_nRemaining -= kCountdownMs;
    RefreshText();
}

void CDlgRest::ShowReason(const QString& reason) {
    m_countdown.stop();
    SetTextAlign(DT_CENTER | DT_VCENTER | DT_WORDBREAK);
    setWindowTitle(reason);
    show();
    raise();
    update();
}

void CDlgRest::mouseReleaseEvent(QMouseEvent* event) {
    CGlazeDialog::mouseReleaseEvent(event);
    RequestExit();
}
