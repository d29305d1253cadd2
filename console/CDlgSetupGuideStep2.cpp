#include "console/CDlgSetupGuideStep2.h"

#include "console/CDlgMessage.h"
#include "console/CFaviconCache.h"
#include "console/GuideCheckList.h"
#include "console/ProgramIcon.h"
#include "console/SetupGuideLists.h"
#include "core/CWarrowCoreInterface.h"
#include "skin/CGlazeStatic.h"

#include <QCoreApplication>
#include <QStandardItemModel>
#include <QTreeView>

namespace {

constexpr int kSiteRole = Qt::UserRole + 1;

// The picture of a page whose site has none (yet): the child browser's.
QIcon BrowserIcon() {
    QIcon themed = QIcon::fromTheme(QStringLiteral("web-browser"));
    return themed.isNull() ? console::GenericProgramIcon() : themed;
}

} // namespace

CDlgSetupGuideStep2::CDlgSetupGuideStep2(QWidget* parent)
    : CDlgPageBase(parent), m_pLabel(new CGlazeStatic(this)), m_pTree(nullptr),
      m_pModel(new QStandardItemModel(this)), m_pFavicons(new CFaviconCache(this)),
      m_sources(console::UserBookmarkSources()) {
    m_pTree = console::MakeCheckList(this, m_pModel, QRect(9, 132, 656, 289), 16);
    m_pFavicons->SetIconHandler([this](const QString& site, const QIcon& icon) {
        for (int row = 0; row < m_pModel->rowCount(); ++row) {
            if (QStandardItem* item = m_pModel->item(row); item->data(kSiteRole).toString() == site) {
                item->setIcon(icon);
            }
        }
    });
}

CDlgSetupGuideStep2::~CDlgSetupGuideStep2() = default;

bool CDlgSetupGuideStep2::OnInitDialog() {
    CDlgPageBase::OnInitDialog();
    const bool loaded = SetImage("Resource/家长界面/向导界面/步骤2.bmp");
    SetDragRect(QRect());
    console::GuideLabelLook(*m_pLabel, QRect(15, 107, 300, 14),
                            "正在初始化 Internet Explorer 收藏夹列表，请稍后...");
    return loaded;
}

void CDlgSetupGuideStep2::ShowPage() {
    CDlgPageBase::ShowPage();
    // The waiting text shows while the bookmark files are read.
    repaint();
    Fill(console::ReadBookmarks(m_sources));
    m_pLabel->SetWindowTextA("IE收藏夹的网页列表");
    ShowNotice("选择您想给孩子访问的网页地址，然后点击\"下一步\"");
}

void CDlgSetupGuideStep2::Fill(const std::vector<console::tagBookmark>& bookmarks) {
    m_pModel->clear();
    m_favorites = console::PrepareFavorites(bookmarks);
    const QIcon fallback = BrowserIcon();
    for (const tagIEInfo& page : m_favorites) {
        const QUrl address(QString::fromStdString(page.Url));
        auto* item = new QStandardItem(fallback, QString::fromStdString(page.Name));
        item->setCheckable(true);
        item->setEditable(false);
        item->setToolTip(address.toDisplayString());
        item->setData(CFaviconCache::SiteOf(address), kSiteRole);
        m_pModel->appendRow(item);
    }
    for (const tagIEInfo& page : m_favorites) {
        m_pFavicons->Request(QUrl(QString::fromStdString(page.Url)));
    }
}

void CDlgSetupGuideStep2::HidePage() {
    CDlgPageBase::HidePage();
    std::vector<tagIEInfo> chosen;
    for (int row : console::CheckedRows(*m_pModel)) {
        chosen.push_back(m_favorites.at(static_cast<std::size_t>(row)));
    }
    CIEListMng* tree = CWarrowCoreInterface::Get()->GetIEMng();
    const int added = tree != nullptr ? console::AddCheckedFavorites(*tree, chosen) : 0;
    if (added > 0) {
        ShowNotice(QString::asprintf("您已经成功添加%d网页到Tavi儿童保护系统", added));
    }
}

void CDlgSetupGuideStep2::OnCancel() {
    console::CancelGuideOf(this);
}
