#include "report/CWarrowReportDlg.h"

#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace {

// 191 x 173 dialog units of a 9-point dialog font.
constexpr int kWidth = 334;
constexpr int kHeight = 324;

} // namespace

CWarrowReportDlg::CWarrowReportDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("错误报告"));
    const QIcon icon = style()->standardIcon(QStyle::SP_MessageBoxWarning);
    setWindowIcon(icon);
    setFixedSize(kWidth, kHeight);

    auto* iconLabel = new QLabel(this);
    iconLabel->setPixmap(icon.pixmap(32, 32));
    iconLabel->setAlignment(Qt::AlignTop);
    m_pMessage = new QLabel(this);
    m_pMessage->setObjectName(QStringLiteral("message"));
    m_pMessage->setTextFormat(Qt::PlainText); // the name comes from the command line
    m_pMessage->setWordWrap(true);
    m_pMessage->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    auto* top = new QHBoxLayout;
    top->addWidget(iconLabel);
    top->addWidget(m_pMessage, 1);

    auto* group = new QGroupBox(QStringLiteral("描述您所遇到的问题"), this);
    m_pDescription = new QPlainTextEdit(group);
    m_pDescription->setObjectName(QStringLiteral("description"));
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(m_pDescription);

    m_pSend = new QPushButton(QStringLiteral("确定发送"), this);
    m_pSend->setAutoDefault(false);
    m_pSend->setDefault(false);
    connect(m_pSend, &QPushButton::clicked, this, [this] {
        if (m_onSend)
            m_onSend();
    });
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(m_pSend);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(group, 1);
    layout->addLayout(bottom);

    // X11 windows have no system menu of their own: the About entry sits in
    // the dialog's context menu instead.
    auto* about = new QAction(QStringLiteral("关于 WarrowReport(&A)..."), this);
    connect(about, &QAction::triggered, this, [this] { ShowAbout(); });
    addAction(about);
    setContextMenuPolicy(Qt::ActionsContextMenu);
}

QString CWarrowReportDlg::MessageFor(const QString& program) {
    return program +
           QStringLiteral(
               "遇到未知错误，给您带来的不便深表歉意。我们已经产生了一个关于此错误的报告（报告中不包含用户"
               "隐私信息），我们希望您选择发送此报告给我们，以帮助改善Tavi儿童保护系统的质量。");
}

void CWarrowReportDlg::SetProgram(const QString& program) {
    m_pMessage->setText(MessageFor(program));
}

QString CWarrowReportDlg::GetDescription() const {
    return m_pDescription->toPlainText();
}

void CWarrowReportDlg::SetDescription(const QString& text) {
    m_pDescription->setPlainText(text);
}

void CWarrowReportDlg::EnableSend(bool enable) {
    m_pSend->setEnabled(enable);
}

void CWarrowReportDlg::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CWarrowReportDlg::ShowAbout() {
    QMessageBox::about(this, QStringLiteral("关于 WarrowReport"), QStringLiteral("WarrowReport 1.0 版"));
}
