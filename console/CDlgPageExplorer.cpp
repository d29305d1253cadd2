#include "console/CDlgPageExplorer.h"

#include "console/CDlgMessage.h"
#include "console/CScrollTree.h"
#include "console/ConsoleMessageBox.h"
#include "console/DialogLook.h"
#include "core/CWarrowCoreInterface.h"
#include "core/WebKey.h"
#include "skin/CGlazeButton.h"
#include "skin/CGlazeSliderCtrl2.h"
#include "skin/CGlazeStatic.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QSignalBlocker>

#include <climits>

namespace {

// The page was laid out in dialog units of the console's 9-point font: one
// horizontal unit is 1.5 pixels, one vertical unit 1.625 pixels.
QRect Dlu(int x, int y, int width, int height) {
    return QRect(x * 3 / 2, y * 13 / 8, width * 3 / 2, height * 13 / 8);
}

// The push buttons are as large as their bitmaps.
QRect ButtonAt(int x, int y) {
    return QRect(x * 3 / 2, y * 13 / 8, 82, 24);
}

// Counters of the generated names live as long as the process, so a name
// once handed out is not offered again while the console runs.
int s_nFolderCounter = 0;
int s_nPageCounter = 0;

std::string Utf8(const QString& text) {
    return text.toUtf8().toStdString();
}

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

CGlazeStatic* BlackLabel(QWidget* parent, const QRect& where, const QString& text) {
    auto* label = new CGlazeStatic(parent);
    QFont font = label->font();
    font.setPixelSize(12);
    label->setFont(font);
    label->SetFontColor(Qt::black);
    label->SetWindowTextA(text);
    label->setGeometry(where);
    return label;
}

} // namespace

CDlgPageExplorer::CDlgPageExplorer(QWidget* parent) : CDlgPageBase(parent) {
    CreateControls();
}

void CDlgPageExplorer::CreateControls() {
    // Group boxes first, so the controls drawn inside them stay on top.
    auto* info = new QGroupBox(QStringLiteral("网页信息"), this);
    info->setGeometry(Dlu(220, 1, 215, 152));
    auto* restriction = new QGroupBox(QStringLiteral("该网址限制方式"), this);
    restriction->setGeometry(Dlu(220, 49, 215, 82));

    m_pTree = new CScrollTree(this);
    m_pName = new QLineEdit(this);
    m_pAddress = new QLineEdit(this);
    m_pLevel = new CGlazeSliderCtrl2(Qt::Vertical, this);
    m_pLevel->setRange(0, 2);
    m_pLevel->setPageStep(1);
    m_pDescription = new CGlazeStatic(this);
    m_pApply = new CGlazeButton(this);
    m_pDelete = new CGlazeButton(this);
    m_pNewPage = new CGlazeButton(this);
    m_pNewFolder = new CGlazeButton(this);
    m_pSave = new CGlazeButton(this);
    m_pApply->setText(QStringLiteral("应  用"));
    m_pDelete->setText(QStringLiteral("删  除"));
    m_pNewPage->setText(QStringLiteral("新建网页"));
    m_pNewFolder->setText(QStringLiteral("新建文件夹"));
    m_pSave->setText(QStringLiteral("保  存"));

    m_pMenu = new QMenu(this);
    connect(m_pMenu->addAction(QStringLiteral("新建文件夹")), &QAction::triggered, this,
            [this] { OnNewFolder(); });
    connect(m_pMenu->addAction(QStringLiteral(" 新建网页")), &QAction::triggered, this,
            [this] { OnNewPage(); });
    m_pMenu->addSeparator();
    connect(m_pMenu->addAction(QStringLiteral("  删  除")), &QAction::triggered, this,
            [this] { OnDelete(); });

    // A right click selects the item under the cursor (the view does that on
    // any button) before the menu opens.
    m_pTree->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_pTree, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { m_pMenu->popup(m_pTree->viewport()->mapToGlobal(at)); });
    connect(m_pTree, &QTreeWidget::currentItemChanged, this, [this] { OnSelectionChanged(SelectedItem()); });
    connect(m_pName, &QLineEdit::textChanged, this, [this] { OnEditorChanged(); });
    connect(m_pAddress, &QLineEdit::textChanged, this, [this] { OnEditorChanged(); });
    // Keyboard steps count as much as a drag: any change of the level is an edit.
    connect(m_pLevel, &QSlider::valueChanged, this, [this](int level) {
        if (m_pCurrent != nullptr) {
            m_pDescription->SetWindowTextA(LevelDescription(level));
        }
        OnEditorChanged();
    });
    connect(m_pNewFolder, &QAbstractButton::clicked, this, [this] { OnNewFolder(); });
    connect(m_pNewPage, &QAbstractButton::clicked, this, [this] { OnNewPage(); });
    connect(m_pDelete, &QAbstractButton::clicked, this, [this] { OnDelete(); });
    connect(m_pApply, &QAbstractButton::clicked, this, [this] { Apply(); });
    connect(m_pSave, &QAbstractButton::clicked, this, [this] { Save(); });
}

bool CDlgPageExplorer::OnInitDialog() {
    const bool loaded = CDlgPageBase::OnInitDialog();
    m_pTree->setGeometry(Dlu(4, 4, 212, 187));
    m_pName->setGeometry(Dlu(269, 13, 155, 12));
    m_pAddress->setGeometry(Dlu(269, 31, 155, 12));
    BlackLabel(this, Dlu(233, 15, 24, 8), QStringLiteral("名 称:"));
    BlackLabel(this, Dlu(233, 33, 24, 8), QStringLiteral("地 址:"));
    BlackLabel(this, Dlu(258, 65, 8, 8), QStringLiteral("高"));
    BlackLabel(this, Dlu(258, 84, 8, 8), QStringLiteral("中"));
    BlackLabel(this, Dlu(258, 104, 8, 8), QStringLiteral("低"));
    m_pLevel->setGeometry(Dlu(232, 61, 22, 55));
    m_pLevel->SetImage("Resource/家长界面/Thumb.bmp", "Resource/家长界面/Slider.bmp");
    // The description takes the rest of its group box, so that its eight
    // lines fit unbroken in the desktop's CJK fonts, which are taller than
    // the ones the layout was drawn for.
    QFont small = m_pDescription->font();
    small.setPixelSize(10);
    m_pDescription->setFont(small);
    m_pDescription->SetFontColor(Qt::black);
    m_pDescription->SetFormat(DT_LEFT | DT_WORDBREAK);
    m_pDescription->setGeometry(Dlu(276, 57, 157, 72));

    Reload();
    console::PushButtonLook(*m_pNewPage, ButtonAt(247, 134));
    console::PushButtonLook(*m_pDelete, ButtonAt(309, 134));
    console::PushButtonLook(*m_pApply, ButtonAt(370, 134));
    console::PushButtonLook(*m_pNewFolder, ButtonAt(309, 167));
    console::PushButtonLook(*m_pSave, ButtonAt(370, 167));
    m_pApply->SetDisable(1);
    m_bDirty = 0;
    m_pSave->SetDisable(1);
    if (QTreeWidgetItem* first = m_pTree->topLevelItem(0)) {
        first->setExpanded(true);
    }
    return loaded;
}

QString CDlgPageExplorer::LevelDescription(int level) {
    const QString news = QString::fromLatin1(kNewsExample);
    const QString games = QString::fromLatin1(kGamesExample);
    QStringList lines;
    switch (level) {
    case 0:
        lines = {QStringLiteral("限制级别：高"),
                 QStringLiteral("描述：您的孩子只能访问完全匹配该网址"),
                 QStringLiteral("　　　的内容"),
                 QStringLiteral("例如：网址为") + news,
                 QStringLiteral("您的孩子只能访问") + news,
                 QStringLiteral("您的孩子将不能访问") + games,
                 QStringLiteral("和") + news + QStringLiteral("/latest/"),
                 QStringLiteral("等等。")};
        break;
    case 1:
        lines = {QStringLiteral("限制级别：中"),
                 QStringLiteral("描述：您的孩子可以访问该网址下的内容"),
                 QStringLiteral("例如：网址为") + news,
                 QStringLiteral("您的孩子可以访问") + news,
                 QStringLiteral("和") + news + QStringLiteral("/latest/"),
                 QStringLiteral("您的孩子将不能访问") + games,
                 QStringLiteral("等等。")};
        break;
    case 2:
        lines = {QStringLiteral("限制级别：低"),
                 QStringLiteral("描述：您的孩子可以访问该网站所有内容"),
                 QStringLiteral("例如：网址为") + news,
                 QStringLiteral("您的孩子可以访问") + news,
                 QStringLiteral("和") + news + QStringLiteral("/latest/"),
                 QStringLiteral("和") + games,
                 QStringLiteral("等等。")};
        break;
    default:
        return {};
    }
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

CIEListMng* CDlgPageExplorer::Web() const {
    return CWarrowCoreInterface::Get()->GetIEMng();
}

QTreeWidgetItem* CDlgPageExplorer::SelectedItem() const {
    // The view makes its first item current when it gains focus, without
    // selecting it: only a highlighted item counts as the parent's choice.
    QTreeWidgetItem* current = m_pTree->currentItem();
    return current != nullptr && current->isSelected() ? current : nullptr;
}

QTreeWidgetItem* CDlgPageExplorer::ItemOf(const QString& name) const {
    const auto found = m_items.find(name);
    return found != m_items.end() ? found->second : nullptr;
}

void CDlgPageExplorer::Reload() {
    LoadNode(nullptr);
    m_items.clear();
    const QSignalBlocker quiet(m_pTree);
    m_pTree->clear();
    CIEListMng* web = Web();
    if (web == nullptr) {
        return;
    }
    // New entries are appended to the manager's list; in Left order every
    // page follows the folder that holds it.
    web->GetTree().Sort();
    QTreeWidgetItem* folder = nullptr;
    int folderRight = INT_MIN;
    for (const auto& node : web->GetTree()) {
        const QString name = Text(node.Data.Name);
        QTreeWidgetItem* item = nullptr;
        if (node.Data.IsDir) {
            item = new QTreeWidgetItem(m_pTree, QStringList{name});
            folder = item;
            folderRight = node.Right;
        } else if (folder != nullptr && node.Left < folderRight) {
            item = new QTreeWidgetItem(folder, QStringList{name});
        } else {
            // A page outside every folder stays at the root, whatever came before it.
            item = new QTreeWidgetItem(m_pTree, QStringList{name});
        }
        m_items.emplace(name, item);
    }
}

void CDlgPageExplorer::LoadNode(QTreeWidgetItem* item) {
    {
        const QSignalBlocker quietName(m_pName);
        const QSignalBlocker quietAddress(m_pAddress);
        const QSignalBlocker quietLevel(m_pLevel);
        m_pName->clear();
        m_pAddress->clear();
        m_pName->setEnabled(false);
        m_pAddress->setEnabled(false);
        m_bEdited = 0;
        m_pApply->SetDisable(1);
        m_pLevel->setEnabled(false);
        CIEListMng* web = Web();
        // Only the item a name maps to stands for the node of that name: a
        // second entry of the same name (stored by another tool) is shown but
        // not edited, so no edit or deletion lands on the other one.
        const bool mapped = item != nullptr && ItemOf(item->text(0)) == item;
        m_pCurrent = mapped && web != nullptr ? web->Find(Utf8(item->text(0)).c_str()) : nullptr;
        if (m_pCurrent != nullptr) {
            m_pName->setEnabled(true);
            m_pAddress->setEnabled(!m_pCurrent->IsDir);
            m_pLevel->setEnabled(!m_pCurrent->IsDir);
            m_pName->setText(Text(m_pCurrent->Name));
            m_pAddress->setText(Text(m_pCurrent->Url));
            m_pLevel->setValue(m_pCurrent->Level);
            if (m_pCurrent->Level >= 0 && m_pCurrent->Level <= 2) {
                m_pDescription->SetWindowTextA(LevelDescription(m_pCurrent->Level));
            }
        }
    }
    m_pTree->RepaintWithFloatingWindows();
}

void CDlgPageExplorer::OnSelectionChanged(QTreeWidgetItem* current) {
    // Folders are offered too: a folder's new name is as much work to lose as a page's address.
    if (m_pCurrent != nullptr && m_bEdited != 0 &&
        console::MessageBox(this, QStringLiteral("发现有改动，是否需要保存改动？"), console::MB_YESNO) ==
            console::IDYES) {
        Apply();
    }
    LoadNode(current);
}

void CDlgPageExplorer::OnEditorChanged() {
    if (m_pCurrent == nullptr) {
        return;
    }
    const QString name = m_pName->text();
    const QString address = m_pAddress->text();
    const bool changed = (!name.isEmpty() && name != Text(m_pCurrent->Name)) ||
                         (!address.isEmpty() && address != Text(m_pCurrent->Url)) ||
                         m_pLevel->value() != m_pCurrent->Level;
    if (changed) {
        m_bEdited = 1;
        m_pApply->SetDisable(0);
    }
}

bool CDlgPageExplorer::Apply() {
    if (m_pCurrent == nullptr) {
        return false;
    }
    if (m_pName->text().isEmpty()) {
        console::MessageBox(this, QStringLiteral("名称不能为空，请填写名称"));
        return false;
    }
    tagIEInfo record = *m_pCurrent;
    record.Name = Utf8(m_pName->text());
    record.Url = Utf8(m_pAddress->text());
    record.Level = m_pLevel->value();
    if (!record.IsDir && !DeriveKey(record)) {
        console::MessageBox(this, QStringLiteral("请输入有效的网址"));
        return false;
    }
    if (!UpdateNode(Text(m_pCurrent->Name), record)) {
        return false;
    }
    m_bEdited = 0;
    m_pApply->SetDisable(1);
    SetDirty();
    return true;
}

bool CDlgPageExplorer::UpdateNode(const QString& oldName, const tagIEInfo& record) {
    const auto entry = m_items.find(oldName);
    CIEListMng* web = Web();
    tagIEInfo* node = web != nullptr ? web->Find(Utf8(oldName).c_str()) : nullptr;
    if (entry == m_items.end() || node == nullptr) {
        return false;
    }
    QTreeWidgetItem* item = entry->second;
    const QString newName = Text(record.Name);
    if (newName != oldName) {
        if (m_items.count(newName) != 0) {
            ShowNotice("名称不能有重复，请重新输入");
            return false;
        }
        m_items.erase(entry);
        m_items.emplace(newName, item);
    }
    *node = record;
    item->setText(0, newName);
    return true;
}

QString CDlgPageExplorer::FreeName(const QString& base, int& counter) const {
    for (;; ++counter) {
        const QString name = counter == 0 ? base : base + QString::number(counter);
        if (m_items.count(name) == 0) {
            return name;
        }
    }
}

void CDlgPageExplorer::AddAndSelect(const QString& name, QTreeWidgetItem* parent) {
    auto* item = parent != nullptr ? new QTreeWidgetItem(parent, QStringList{name})
                                   : new QTreeWidgetItem(m_pTree, QStringList{name});
    m_items.emplace(name, item);
    if (parent != nullptr) {
        parent->setExpanded(true);
    }
    m_pTree->setCurrentItem(item);
}

void CDlgPageExplorer::OnNewFolder() {
    CIEListMng* web = Web();
    if (web == nullptr) {
        return;
    }
    const QString name = FreeName(QStringLiteral("新建文件夹"), s_nFolderCounter);
    const tagIEInfo folder{Utf8(name), std::string(), 0, std::string(), true};
    if (web->Insert(nullptr, folder, CIEListMng::Tree::INSERT_LAST) == nullptr) {
        return;
    }
    AddAndSelect(name, nullptr);
    SetDirty();
}

void CDlgPageExplorer::OnNewPage() {
    QTreeWidgetItem* selected = SelectedItem();
    CIEListMng* web = Web();
    if (selected == nullptr || web == nullptr) {
        return;
    }
    QTreeWidgetItem* anchor = selected->parent() != nullptr ? selected->parent() : selected;
    const QString anchorName = anchor->text(0);
    const tagIEInfo* folder = web->Find(Utf8(anchorName).c_str());
    if (ItemOf(anchorName) != anchor || folder == nullptr || !folder->IsDir) {
        return; // pages live in folders only; nothing changed, nothing to save
    }
    const QString name = FreeName(QStringLiteral("新建网页"), s_nPageCounter);
    const tagIEInfo page{Utf8(name), "http://", 1, std::string(), false};
    if (web->Insert(Utf8(anchorName).c_str(), page, CIEListMng::Tree::INSERT_LAST) == nullptr) {
        return;
    }
    AddAndSelect(name, anchor);
    SetDirty();
}

void CDlgPageExplorer::ForgetNames(QTreeWidgetItem* item) {
    for (int i = 0; i < item->childCount(); ++i) {
        ForgetNames(item->child(i));
    }
    const auto entry = m_items.find(item->text(0));
    if (entry != m_items.end() && entry->second == item) {
        m_items.erase(entry);
    }
}

void CDlgPageExplorer::OnDelete() {
    QTreeWidgetItem* selected = SelectedItem();
    CIEListMng* web = Web();
    if (selected == nullptr || web == nullptr) {
        return;
    }
    const QString name = selected->text(0);
    if (ItemOf(name) != selected) {
        return;
    }
    if (selected->childCount() > 0 &&
        console::MessageBox(this, QStringLiteral("您真的要删除该目录下所有的网页吗？"),
                            console::MB_OKCANCEL) != console::IDOK) {
        return;
    }
    // Edits held for the deleted node go with it: no question, and the
    // editors show whatever the tree selects next. The pages under a deleted
    // folder leave the name map too, so their names are free again.
    {
        const QSignalBlocker quiet(m_pTree);
        LoadNode(nullptr);
        ForgetNames(selected);
        delete selected;
        if (QTreeWidgetItem* next = m_pTree->currentItem()) {
            next->setSelected(true); // the view moved on to it; show it as selected
        }
    }
    web->Erase(Utf8(name).c_str());
    LoadNode(SelectedItem());
    SetDirty();
}

void CDlgPageExplorer::Save() {
    if (m_bEdited != 0 && console::MessageBox(this, QStringLiteral("发现有更改，是否需要应用更改？"),
                                              console::MB_YESNO) == console::IDYES) {
        Apply();
    }
    CIEListMng* web = Web();
    if (web == nullptr || !web->Save()) {
        // The table still holds the old tree: the page stays dirty, so the
        // save button and the close check keep offering to write it.
        ShowNotice("网页设置保存失败，请稍后再试");
        return;
    }
    m_bDirty = 0;
    m_pSave->SetDisable(1);
}

void CDlgPageExplorer::SetDirty() {
    m_bDirty = 1;
    m_pSave->SetDisable(0);
}
