#include "console/CDlgRequest.h"

#include "console/CDlgMessage.h"
#include "console/CWarrowTrayApp.h"
#include "console/ConsoleMessageBox.h"
#include "console/DialogLook.h"
#include "core/CWarrowCoreInterface.h"
#include "skin/CGlazeButton.h"
#include "skin/CGlazeEdit.h"
#include "skin/CGlazeStatic.h"

#include <QPlainTextEdit>

using console::Box;

CDlgRequest::CDlgRequest(QWidget* parent)
    : CGlazeDialog(parent), m_pMailLabel(new CGlazeStatic(this)), m_pMail(new CGlazeEdit(this)),
      m_pQuestionLabel(new CGlazeStatic(this)), m_pQuestion(new QPlainTextEdit(this)),
      m_pSubmit(new CGlazeButton(this)), m_pCancel(new CGlazeButton(this)), m_pClose(new CGlazeButton(this)) {
    setWindowTitle(QStringLiteral("问题反馈"));
    m_pSubmit->setText(QStringLiteral("提 交"));
    m_pCancel->setText(QStringLiteral("取 消"));
    connect(m_pSubmit, &QAbstractButton::clicked, this, [this] { OnOK(); });
    connect(m_pCancel, &QAbstractButton::clicked, this, [this] { OnCancel(); });
    connect(m_pClose, &QAbstractButton::clicked, this, [this] { OnCancel(); });
}

bool CDlgRequest::OnInitDialog() {
    if (!console::SetSmallDialogBackground(*this)) {
        return false;
    }
    SetTextColor(ToQColor(RGB(0x16, 0x3A, 0x71)));
    console::LabelLook(*m_pMailLabel, Box(20, 131, 95, 152), "您的邮箱:");
    m_pMail->setGeometry(Box(90, 127, 195, 148));
    console::LabelLook(*m_pQuestionLabel, Box(20, 158, 95, 179), "问题描述:");
    m_pQuestion->setGeometry(Box(90, 155, 265, 256));
    console::PushButtonLook(*m_pSubmit, Box(88, 266, 170, 290));
    console::PushButtonLook(*m_pCancel, Box(183, 266, 265, 290));
    console::CloseButtonLook(*m_pClose);
    m_pMail->setFocus();
    return true;
}

int CDlgRequest::DoModal() {
    OnInitDialog();
    return exec() == QDialog::Accepted ? console::IDOK : console::IDCANCEL;
}

void CDlgRequest::OnOK() {
    const std::string mail = m_pMail->text().toStdString();
    const std::string question = m_pQuestion->toPlainText().toStdString();
    if (mail.empty()) {
        ShowNotice("请输入您的邮箱，方便我们联系到您");
        return;
    }
    if (question.empty()) {
        ShowNotice("请描述您所碰到的问题，我们会尽快予以解决");
        return;
    }
    CWarrowCoreInterface* core = CWarrowCoreInterface::Get();
    char system[512] = {};
    FormatOSInfo(system, sizeof system, core->GetOsInfo());

    user_login_message::CMSG_C2S_HELP_REQUEST request;
    auto& body = request.Body();
    body.nAccount =
        core->GetDBConfig() != nullptr ? static_cast<std::uint32_t>(core->GetDBConfig()->GetInfo().ID) : 0;
    body.strMail = mail;
    body.strSystem = system;
    body.strQuestion = question;
    if (CWarrowTrayApp* app = CWarrowTrayApp::Instance()) {
        app->SendRequest(request);
    }
    done(QDialog::Accepted);
}

void CDlgRequest::OnCancel() {
    done(QDialog::Rejected);
}
