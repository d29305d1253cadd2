#include "console/CDlgSetupGuide.h"

#include "console/CDlgSetupGuideStep1.h"
#include "console/CDlgSetupGuideStep2.h"
#include "console/CDlgSetupGuideStep3.h"
#include "console/CWarrowTrayApp.h"
#include "console/CWarrowTrayDlg.h"
#include "console/ConsoleMessageBox.h"
#include "console/DialogLook.h"
#include "skin/CGlazeButton.h"

#include <QMoveEvent>

#include <algorithm>

namespace {

CDlgSetupGuide* s_pInstance = nullptr;

CWarrowTrayDlg* MainWindow() {
    CWarrowTrayApp* app = CWarrowTrayApp::Instance();
    return app != nullptr ? app->MainWindow() : nullptr;
}

} // namespace

CDlgSetupGuide::CDlgSetupGuide(QWidget* parent)
    : CGlazeDialog(parent), m_pStep1(new CDlgSetupGuideStep1(this)), m_pStep2(new CDlgSetupGuideStep2(this)),
      m_pStep3(new CDlgSetupGuideStep3(this)), m_steps{m_pStep1, m_pStep2, m_pStep3},
      m_pNext(new CGlazeButton(this)), m_pFinish(new CGlazeButton(this)), m_pClose(new CGlazeButton(this)) {
    s_pInstance = this;
    setWindowTitle(QStringLiteral("配置向导"));
    m_pNext->setText(QStringLiteral("下一步"));
    m_pFinish->setText(QStringLiteral("完 成"));
    connect(m_pNext, &QAbstractButton::clicked, this, [this] { GoToStep(m_nCurrent + 1); });
    connect(m_pFinish, &QAbstractButton::clicked, this, [this] { OnFinish(); });
    connect(m_pClose, &QAbstractButton::clicked, this, [this] { OnCancel(); });
}

CDlgSetupGuide::~CDlgSetupGuide() {
    if (s_pInstance == this) {
        s_pInstance = nullptr;
    }
}

CDlgSetupGuide* CDlgSetupGuide::Instance() {
    return s_pInstance;
}

bool CDlgSetupGuide::OnInitDialog() {
    SetLayeredWindowAttributes(kGlazeColorKey, 0, LWA_COLORKEY);
    if (!SetImage("Resource/家长界面/向导界面/向导界面背景.bmp")) {
        return false;
    }
    SetTextColor(QColor(0x16, 0x3A, 0x71));
    for (CDlgPageBase* step : m_steps) {
        step->OnInitDialog();
        step->setGeometry(0, 39, 674, 421);
        step->hide(); // hidden, not left: nothing was checked yet
    }
    console::PushButtonLook(*m_pNext, QRect(489, 471, 82, 24));
    console::PushButtonLook(*m_pFinish, QRect(582, 471, 82, 24));
    for (int state = 0; state < 4; ++state) {
        m_pClose->SetImage(QStringLiteral("Resource/家长界面/叉0%1.bmp").arg(state + 1).toUtf8().constData(),
                           state);
    }
    m_pClose->setGeometry(648, 11, 17, 18);
    m_nCurrent = 0;
    EnableButtons(0);
    Step(0)->ShowPage();
    return true;
}

void CDlgSetupGuide::EnableButtons(int index) {
    const bool last = index >= kStepCount - 1;
    m_pNext->SetDisable(last ? 1 : 0);
    m_pFinish->SetDisable(last ? 0 : 1);
}

void CDlgSetupGuide::GoToStep(int index) {
    index = std::clamp(index, 0, kStepCount - 1);
    if (index == m_nCurrent) {
        return; // a step is applied once: "下一步" on the last step does nothing
    }
    EnableButtons(index);
    Step(m_nCurrent)->HidePage();
    m_nCurrent = index;
    // No second "下一步" while the step fills its list.
    m_pNext->SetDisable(1);
    Step(index)->ShowPage();
    EnableButtons(index);
}

void CDlgSetupGuide::OnFinish() {
    const int answer = console::MessageBox(
        this,
        QStringLiteral(
            "您已成功完成本次系统配置！如需修改，再次进入配置向导即可。\n接下来将带您体验儿童模式。"
            "【因儿童模式禁用了部分操作，如遇到安全软件提示修改注册表，请同意。】"),
        console::MB_OKCANCEL);
    if (answer == console::IDOK) {
        if (CWarrowTrayDlg* main = MainWindow()) {
            main->SwitchToChildMode();
        }
    }
    done(QDialog::Accepted);
}

void CDlgSetupGuide::moveEvent(QMoveEvent* event) {
    CGlazeDialog::moveEvent(event);
    if (CWarrowTrayDlg* main = MainWindow(); main != nullptr && isWindow()) {
        main->move(event->pos());
    }
}
