#include "console/CDlgSetupGuideStep1.h"

#include "console/CDlgMessage.h"
#include "console/GuideCheckList.h"
#include "console/InstalledPrograms.h"
#include "console/ProgramIcon.h"
#include "console/SetupGuideLists.h"
#include "core/CWarrowCoreInterface.h"
#include "platform/ApplicationEntries.h"
#include "skin/CGlazeStatic.h"

#include <QStandardItemModel>
#include <QTreeView>

namespace {

constexpr int kDesktopFileRole = Qt::UserRole + 1;

std::string BaseName(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

CDlgSetupGuideStep1::CDlgSetupGuideStep1(QWidget* parent)
    : CDlgPageBase(parent), m_pLabel(new CGlazeStatic(this)), m_pTree(nullptr),
      m_pModel(new QStandardItemModel(this)) {
    m_pTree = console::MakeCheckList(this, m_pModel, QRect(9, 132, 656, 289), 24);
}

bool CDlgSetupGuideStep1::OnInitDialog() {
    CDlgPageBase::OnInitDialog();
    const bool loaded = SetImage("Resource/家长界面/向导界面/步骤1.bmp");
    SetDragRect(QRect());
    console::GuideLabelLook(*m_pLabel, QRect(15, 107, 160, 14), "已安装的应用程序列表");
    Fill(platform::ApplicationFolders());
    return loaded;
}

void CDlgSetupGuideStep1::Fill(const std::vector<std::string>& folders) {
    m_pModel->clear();
    for (const console::tagInstalledProgram& program : console::InstalledPrograms(folders)) {
        QIcon icon = console::IconOfEntry(program.icon);
        if (icon.isNull()) {
            icon = console::ProgramIcon(program.program, BaseName(program.program));
        }
        auto* item = new QStandardItem(icon, QString::fromStdString(program.name));
        item->setCheckable(true);
        item->setEditable(false);
        item->setData(QString::fromStdString(program.desktopFile), kDesktopFileRole);
        m_pModel->appendRow(item);
    }
    ShowNotice("选择您想给孩子使用的应用软件或适合孩子的游戏，然后点击\"下一步\"");
}

void CDlgSetupGuideStep1::HidePage() {
    CDlgPageBase::HidePage();
    std::vector<std::string> files;
    for (int row : console::CheckedRows(*m_pModel)) {
        files.push_back(m_pModel->item(row)->data(kDesktopFileRole).toString().toStdString());
    }
    CWriteListMng* list = CWarrowCoreInterface::Get()->GetWLMng();
    const int added = list != nullptr ? console::AddCheckedPrograms(*list, files) : 0;
    if (added > 0) {
        ShowNotice(QString::asprintf("您已经成功添加%d款软件到Tavi儿童保护系统", added));
    }
}

void CDlgSetupGuideStep1::OnCancel() {
    console::CancelGuideOf(this);
}
