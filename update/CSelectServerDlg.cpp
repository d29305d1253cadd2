#include "update/CSelectServerDlg.h"

#include <QGroupBox>
#include <QListWidget>
#include <QPushButton>

CSelectServerDlg::CSelectServerDlg(const std::vector<update::tagServer>& servers, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(QStringLiteral("Tavi儿童保护系统更新服务器列表"));
    setFixedSize(298, 193);

    auto* group = new QGroupBox(QStringLiteral("请选择适合您的网络："), this);
    group->setGeometry(10, 8, 278, 136);
    m_pList = new QListWidget(group);
    m_pList->setGeometry(10, 24, 258, 102);
    m_pList->setSortingEnabled(true);
    for (const update::tagServer& server : servers) {
        auto* item = new QListWidgetItem(QString::fromStdString(server.strName), m_pList);
        item->setData(Qt::UserRole, QString::fromStdString(server.strAddress));
    }
    m_pList->sortItems();

    m_pOk = new QPushButton(QStringLiteral("确定"), this);
    m_pOk->setGeometry(118, 154, 80, 28);
    m_pOk->setDefault(true);
    m_pCancel = new QPushButton(QStringLiteral("取消"), this);
    m_pCancel->setGeometry(208, 154, 80, 28);
    connect(m_pOk, &QPushButton::clicked, this, &CSelectServerDlg::accept);
    connect(m_pCancel, &QPushButton::clicked, this, &CSelectServerDlg::reject);
}

void CSelectServerDlg::accept() {
    const QListWidgetItem* item = m_pList->currentItem();
    if (item == nullptr || !item->isSelected()) {
        return;
    }
    m_strAddress = item->data(Qt::UserRole).toString().toStdString();
    QDialog::accept();
}
