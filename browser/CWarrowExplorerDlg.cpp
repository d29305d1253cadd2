#include "browser/CWarrowExplorerDlg.h"

#include "browser/CDlgExplorer.h"
#include "browser/CExplorer.h"
#include "browser/NavigationPolicy.h"
#include "browser/TabBook.h"
#include "browser/TabCaption.h"
#include "core/CIEListMng.h"
#include "crash/CrashGuard.h"
#include "skin/CGlazeButton.h"
#include "skin/CGlazeCheckButton.h"
#include "skin/CGlazeTabCtrl.h"

#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QScreen>
#include <QShortcut>
#include <QStyle>
#include <QTimer>
#include <QTreeWidget>
#include <QWebEnginePage>

namespace {

constexpr const char* kSkin = "Resource/儿童界面/IE/";
constexpr int kSiteRole = Qt::UserRole;
constexpr int kTabWidth = 150;
constexpr int kTabHeight = 21;
// The toolbar band over the tree and the tabs, in client coordinates.
constexpr int kContentTop = 46;

std::string SkinFile(const char* name) {
    return std::string(kSkin) + name;
}

QIcon SiteIcon() {
    return QApplication::style()->standardIcon(QStyle::SP_DriveNetIcon);
}

QIcon FolderIcon() {
    return QApplication::style()->standardIcon(QStyle::SP_DirIcon);
}

} // namespace

CWarrowExplorerDlg::CWarrowExplorerDlg(CIEListMng* web, QWebEngineProfile* profile)
    : CGlazeDialog(nullptr, Qt::Window), m_pWeb(web), m_pProfile(profile) {
    setWindowTitle(QStringLiteral("WarrowExplorer"));
}

CWarrowExplorerDlg::~CWarrowExplorerDlg() {
    // Pages go while the tab control they sit in still exists.
    m_pages.clear();
}

void CWarrowExplorerDlg::CreateControls() {
    auto button = [this](int id, const char* normal, const char* lit) {
        auto* b = new CGlazeButton(this);
        b->SetImage(SkinFile(normal).c_str(), CGlazeButton::STATE_NORMAL);
        b->SetImage(SkinFile(lit).c_str(), CGlazeButton::STATE_PRESSED);
        b->SetImage(SkinFile(lit).c_str(), CGlazeButton::STATE_HOVER);
        b->setFocusPolicy(Qt::NoFocus);
        connect(b, &QAbstractButton::clicked, this, [this, id] { OnCommand(id); });
        return b;
    };
    m_pBack = button(IDC_BACK, "后退00.bmp", "后退01.bmp");
    m_pForward = button(IDC_FORWARD, "前进00.bmp", "前进01.bmp");
    m_pRefresh = button(IDC_REFRESH, "刷新00.bmp", "刷新01.bmp");
    m_pStop = button(IDC_STOP, "停止00.bmp", "停止01.bmp");

    m_pShowTree = new CGlazeCheckButton(this);
    m_pShowTree->SetImage(SkinFile("显示00.bmp").c_str(), CGlazeButton::STATE_NORMAL);
    m_pShowTree->SetImage(SkinFile("显示00.bmp").c_str(), CGlazeButton::STATE_HOVER);
    m_pShowTree->SetImage(SkinFile("显示01.bmp").c_str(), CGlazeButton::STATE_PRESSED);
    m_pShowTree->hide();

    m_pAddress = new QLineEdit(this);
    m_pAddress->setReadOnly(true); // no typed addresses: only the tree and the pages lead anywhere

    m_pTree = new QTreeWidget(this);
    m_pTree->setHeaderHidden(true);
    m_pTree->setIconSize(QSize(16, 16));
    connect(m_pTree, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item, int) { OpenSiteItem(item); });

    m_pTabControl = new QWidget(this);
    m_pTabs = new CGlazeTabCtrl(m_pTabControl);
    m_pTabs->setExpanding(false);
    m_pTabs->setElideMode(Qt::ElideNone);
    m_pTabs->setUsesScrollButtons(true);
    m_pTabs->setIconSize(QSize(16, 16));
    m_pTabs->setStyleSheet(
        QStringLiteral("QTabBar::tab { width: %1px; height: %2px; }").arg(kTabWidth).arg(kTabHeight));
    connect(m_pTabs, &QTabBar::currentChanged, this, [this](int) { ShowSelectedPage(); });

    // Over the selected tab, so it is created last.
    m_pClosePage = new CGlazeButton(this);
    m_pClosePage->SetImage(SkinFile("关闭按钮00.bmp").c_str(), CGlazeButton::STATE_NORMAL);
    m_pClosePage->SetImage(SkinFile("关闭按钮01.bmp").c_str(), CGlazeButton::STATE_HOVER);
    m_pClosePage->setFocusPolicy(Qt::NoFocus);
    connect(m_pClosePage, &QAbstractButton::clicked, this, [this] { OnCommand(IDC_CLOSEPAGE); });

    auto* about = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(about, &QShortcut::activated, this, [this] { OnAbout(); });
}

void CWarrowExplorerDlg::OnInitDialog() {
    m_back.LoadGlazeImage(SkinFile("back.bmp").c_str());
    m_head.LoadGlazeImage(SkinFile("head.bmp").c_str());
    m_body.LoadGlazeImage(SkinFile("body.bmp").c_str());
    setWindowIcon(SiteIcon());
    CreateControls();
    m_bTreeShown = true;

    {
        const QSignalBlocker quiet(m_pTabs);
        m_pTabs->addTab(SiteIcon(), QString::fromUtf8(kBlankCaption));
    }
    OpenPage(kBlankAddress);

    FillSiteTree();
    if (m_pFirstFolder != nullptr) {
        m_pFirstFolder->setExpanded(true);
    }
    // Without a window manager "maximised" means nothing: the window then
    // takes the screen's free area itself.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        setGeometry(screen->availableGeometry());
    }
    showMaximized();
    ArrangeControls();
}

bool CWarrowExplorerDlg::Admits(const std::string& url) const {
    return m_pWeb != nullptr && AdmitsAddress(*m_pWeb, url);
}

bool CWarrowExplorerDlg::OpenPage(const std::string& url) {
    auto page = std::make_unique<CDlgExplorer>(m_pProfile, this, m_pTabControl);
    const std::string caption = page->Navigate(url);
    const int n = static_cast<int>(m_pages.size());
    {
        // Tabs change here under the dialog's own hand, not the child's.
        const QSignalBlocker quiet(m_pTabs);
        if (m_pTabs->count() <= n) {
            m_pTabs->addTab(QString());
        }
        m_pTabs->setTabText(n, QString::fromStdString(caption));
        m_pTabs->setTabIcon(n, SiteIcon());
        page->SetTabIndex(n);
        page->show();
        m_pages.push_back(std::move(page));
        m_pTabs->insertTab(n + 1, QString::fromUtf8(kNewTabCaption));
        m_pTabs->setCurrentIndex(n);
    }
    ArrangeControls();
    m_pTabs->setFocus();
    ShowSelectedPage();
    return true;
}

void CWarrowExplorerDlg::ShowSelectedPage() {
    // A crash while switching pages ends this step only, as the crash log
    // has then been written.
    RunGuarded([this] { ShowSelectedPageUnguarded(); });
}

void CWarrowExplorerDlg::ShowSelectedPageUnguarded() {
    const int selected = m_pTabs->currentIndex();
    const int n = static_cast<int>(m_pages.size());
    if (IsNewTabTab(selected, n)) {
        OpenPage(kBlankAddress);
        return;
    }
    for (int i = 0; i < n; ++i) {
        m_pages[static_cast<std::size_t>(i)]->setVisible(i == selected);
    }
    if (CDlgExplorer* page = SelectedPage()) {
        m_pAddress->setText(QString::fromStdString(page->CurrentUrl()));
    }
    PlaceCloseButton();
}

void CWarrowExplorerDlg::ClosePage() {
    const int selected = m_pTabs->currentIndex();
    if (selected < 0 || selected >= static_cast<int>(m_pages.size())) {
        return;
    }
    {
        const QSignalBlocker quiet(m_pTabs);
        m_pages.erase(m_pages.begin() + selected);
        m_pTabs->removeTab(selected);
        const int n = static_cast<int>(m_pages.size());
        m_pTabs->setCurrentIndex(TabAfterClose(selected, n));
    }
    m_pTabs->setFocus();
    ShowSelectedPage();
    PlaceCloseButton();
    for (std::size_t i = 0; i < m_pages.size(); ++i) {
        m_pages[i]->SetTabIndex(static_cast<int>(i));
    }
}

CDlgExplorer* CWarrowExplorerDlg::SelectedPage() const {
    const int selected = m_pTabs != nullptr ? m_pTabs->currentIndex() : -1;
    if (selected < 0 || selected >= static_cast<int>(m_pages.size())) {
        return nullptr;
    }
    return m_pages[static_cast<std::size_t>(selected)].get();
}

void CWarrowExplorerDlg::FillSiteTree() {
    m_pTree->clear();
    m_pFirstFolder = nullptr;
    m_siteItems = m_pWeb != nullptr ? BuildSiteTree(*m_pWeb) : std::vector<SiteTreeItem>();
    std::vector<QTreeWidgetItem*> made;
    for (std::size_t i = 0; i < m_siteItems.size(); ++i) {
        const SiteTreeItem& entry = m_siteItems[i];
        QTreeWidgetItem* item = entry.parent < 0
                                    ? new QTreeWidgetItem(m_pTree)
                                    : new QTreeWidgetItem(made[static_cast<std::size_t>(entry.parent)]);
        item->setText(0, QString::fromStdString(entry.name));
        item->setIcon(0, entry.site == nullptr ? FolderIcon() : SiteIcon());
        item->setData(0, kSiteRole, static_cast<int>(i));
        if (entry.site == nullptr && m_pFirstFolder == nullptr) {
            m_pFirstFolder = item;
        }
        made.push_back(item);
    }
}

void CWarrowExplorerDlg::OpenSiteItem(QTreeWidgetItem* item) {
    if (item == nullptr) {
        return;
    }
    const int index = item->data(0, kSiteRole).toInt();
    if (index < 0 || index >= static_cast<int>(m_siteItems.size())) {
        return;
    }
    const std::string url = SiteToOpen(m_siteItems[static_cast<std::size_t>(index)]);
    CDlgExplorer* page = SelectedPage();
    if (url.empty() || page == nullptr) {
        return;
    }
    // The navigation is checked like any other: an entry whose own key does
    // not admit its address opens nothing.
    page->Navigate(url);
    page->update();
}

void CWarrowExplorerDlg::ArrangeControls() {
    if (m_pTree == nullptr || m_pTabs == nullptr) {
        return;
    }
    const QRect client = rect();
    const int right = client.width();
    m_pBack->setGeometry(16, 7, 34, 33);
    m_pForward->setGeometry(51, 12, 23, 22);
    m_pAddress->setGeometry(100, 12, std::max(right - 360, 40), 24);
    m_pRefresh->setGeometry(right - 260, 12, 26, 24);
    m_pStop->setGeometry(right - 234, 12, 26, 24);
    m_pTree->setGeometry(3, kContentTop, 242, client.height() - kContentTop - 3);
    m_pTree->setVisible(m_bTreeShown);
    const int tabLeft = m_bTreeShown ? 250 : 3;
    m_pTabControl->setGeometry(tabLeft, kContentTop, right - 3 - tabLeft, client.height() - kContentTop - 3);
    const QRect area = m_pTabControl->rect();
    m_pTabs->setGeometry(0, 0, area.width(), kTabHeight + 3);
    const QRect pageRect(area.left() + 3, area.top() + kTabHeight + 3, area.width() - 6,
                         area.height() - kTabHeight - 6);
    for (const auto& page : m_pages) {
        page->setGeometry(pageRect);
    }
    PlaceCloseButton();
    update();
}

void CWarrowExplorerDlg::PlaceCloseButton() {
    if (m_pClosePage == nullptr) {
        return;
    }
    const QRect item = m_pTabs->tabRect(m_pTabs->currentIndex());
    const QPoint origin = m_pTabs->mapTo(this, QPoint(0, 0));
    m_pClosePage->setGeometry(origin.x() + item.right() - 21,
                              origin.y() + item.top() + (item.height() - 16) / 2, 17, 16);
    m_pClosePage->setVisible(m_pages.size() >= 2 && item.isValid());
    m_pClosePage->raise();
}

void CWarrowExplorerDlg::QueueTab(const std::string& url) {
    m_urlQueue.push_back(url);
    // Pages are never made inside the engine's event: the tab opens once it
    // has returned.
    if (!m_bOpenTabPosted) {
        m_bOpenTabPosted = true;
        QMetaObject::invokeMethod(
            this, [this] { OnOpenTab(); }, Qt::QueuedConnection);
    }
}

void CWarrowExplorerDlg::OnOpenTab() {
    m_bOpenTabPosted = false;
    while (!m_urlQueue.empty()) {
        const std::string url = m_urlQueue.front();
        m_urlQueue.pop_front();
        OpenPage(url);
    }
}

void CWarrowExplorerDlg::OnPageAddressChanged(CDlgExplorer* page) {
    if (page == SelectedPage()) {
        m_pAddress->setText(QString::fromStdString(page->CurrentUrl()));
    }
}

void CWarrowExplorerDlg::SetPageCaption(CDlgExplorer* page, const std::string& caption) {
    const int index = page->TabIndex();
    if (index >= 0 && index < static_cast<int>(m_pages.size())) {
        m_pTabs->setTabText(index, QString::fromStdString(caption));
        m_pTabs->repaint();
    }
}

CGlazeButton* CWarrowExplorerDlg::Button(int id) const {
    switch (id) {
    case IDC_BACK:
        return m_pBack;
    case IDC_FORWARD:
        return m_pForward;
    case IDC_REFRESH:
        return m_pRefresh;
    case IDC_STOP:
        return m_pStop;
    case IDC_CLOSEPAGE:
        return m_pClosePage;
    case IDC_SHOWTREE:
        return m_pShowTree;
    default:
        return nullptr;
    }
}

void CWarrowExplorerDlg::OnCommand(int id) {
    if (id == IDC_CLOSEPAGE) {
        ClosePage();
        return;
    }
    CDlgExplorer* page = SelectedPage();
    if (page == nullptr) {
        return;
    }
    QWebEnginePage* web = page->View()->page();
    switch (id) {
    case IDC_BACK:
        web->triggerAction(QWebEnginePage::Back);
        break;
    case IDC_FORWARD:
        web->triggerAction(QWebEnginePage::Forward);
        break;
    case IDC_REFRESH:
        web->triggerAction(QWebEnginePage::Reload);
        break;
    case IDC_STOP:
        web->triggerAction(QWebEnginePage::Stop);
        break;
    default:
        break;
    }
}

void CWarrowExplorerDlg::OnAbout() {
    QMessageBox::about(
        this, QStringLiteral("关于 WarrowExplorer"),
        QStringLiteral("WarrowExplorer 儿童浏览器\n版本 %1").arg(QStringLiteral(WARROW_VERSION_TEXT)));
}

bool CWarrowExplorerDlg::OnEraseBkgnd(QPainter* dc) {
    const QRect window = rect();
    if (m_back.IsLoad()) {
        m_back.StretchBlt(dc, window);
    } else {
        dc->fillRect(window, palette().window());
    }
    if (m_body.IsLoad()) {
        m_body.StretchBlt(dc, 0, 0, window.width(), m_body.GetHeight());
    }
    if (m_head.IsLoad()) {
        m_head.BitBlt(dc, 0, 0);
    }
    return true;
}

void CWarrowExplorerDlg::resizeEvent(QResizeEvent* event) {
    CGlazeDialog::resizeEvent(event);
    ArrangeControls();
}

void CWarrowExplorerDlg::closeEvent(QCloseEvent* event) {
    // The caption's close box ends the browser; Enter and Escape do not.
    event->accept();
    CGlazeDialog::OnCancel();
}

void CWarrowExplorerDlg::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    QAction* about = menu.addAction(QStringLiteral("关于 WarrowExplorer(&A)..."));
    if (menu.exec(event->globalPos()) == about) {
        OnAbout();
    }
}
