#pragma once
// The console's main window: five page buttons and their pages, account and
// version labels, the bottom row of text buttons, the logo and notice
// windows beside it, the tray icon it hides to, the internet poll that
// triggers the account check, and the reaction to the check's answer.

#include "net/UserLoginMessage.h"
#include "skin/CGlazeDialog.h"

#include <QFont>
#include <QTimer>

#include <array>
#include <memory>

class CDlgLogo;
class CDlgPageAppliction;
class CDlgPageBase;
class CDlgPageExplorer;
class CDlgMessage;
class CGlazeButton;
class CGlazeCheckButton;
class CGlazeStatic;
class CGlazeTextButton;
class QMenu;
class QSystemTrayIcon;
class QTcpSocket;

class CWarrowTrayDlg : public CGlazeDialog {
public:
    CWarrowTrayDlg();
    ~CWarrowTrayDlg() override;
    // False when the background cannot be read; the window then lacks the
    // rest of its controls' looks and the poll.
    bool OnInitDialog();
    // Removes the tray icon and the floating windows.
    void DestroyWindow();

    void SelectPage(int index);
    int SelectedPage() const { return m_nSelected; }
    // The account check's answer in the main state.
    void OnLoginAnswer(const user_login_message::tagLoginAnswer& answer);

    void OnChangeAccount();
    void OnUpgrade();
    void SwitchToChildMode();
    void HideToTray();
    void RestoreFromTray();
    void ShowFromMenu();
    void OnHelp();
    void OnAbout();

    bool IsChangingAccount() const { return m_bChangingAccount; }
    bool IsPolling() const { return m_pollTimer.isActive(); }
    CGlazeTextButton* UpgradeButton() const { return m_pUpgrade; }
    CGlazeTextButton* ChangeButton() const { return m_pChange; }
    CGlazeTextButton* RegisterButton() const { return m_pRegister; }
    CGlazeStatic* AccountLabel() const { return m_pAccount; }
    CGlazeStatic* VersionLabel() const { return m_pVersion; }
    CGlazeCheckButton* PageButton(int index) const {
        return m_pageButtons.at(static_cast<std::size_t>(index));
    }
    CDlgPageBase* Page(int index) const { return m_pages.at(static_cast<std::size_t>(index)); }
    CDlgPageAppliction* ApplicationPage() const;
    CDlgPageExplorer* ExplorerPage() const;
    // The close button: offers to save an edited web tree, then hides to the tray.
    void OnCloseButton();
    CDlgLogo* Logo() const { return m_pLogo.get(); }
    CDlgMessage* Notice() const { return m_pNotice.get(); }
    QSystemTrayIcon* TrayIcon() const { return m_pTray; }
    QMenu* TrayMenu() const { return m_pTrayMenu.get(); }

    // Test seams: the poll period (5 s) and whether a tray host is there.
    static void SetPollIntervalMs(int ms);
    static void SetTrayAvailableOverride(int available); // -1: ask the desktop
    static constexpr int kPollIntervalMs = 5000;
    static constexpr int kUpdateNoticeDelayMs = 2000;

    // Enter and Escape do nothing here: the window is left through the tray.
    void OnOK() override {}
    void OnCancel() override {}

protected:
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void CreateControls();
    void PlaceButtons();
    void FillLabels();
    void PlaceFloatingWindows();
    void PollInternet();
    void StartUpdaterWithNotice(bool automatic);
    void SaveAccountChange();
    bool TrayAvailable() const;

    std::array<CDlgPageBase*, 5> m_pages{};
    std::array<CGlazeCheckButton*, 5> m_pageButtons{};
    CGlazeButton* m_pMinimise = nullptr;
    CGlazeButton* m_pClose = nullptr;
    CGlazeStatic* m_pAccount = nullptr;
    CGlazeStatic* m_pVersion = nullptr;
    CGlazeTextButton* m_pRegister = nullptr;
    CGlazeTextButton* m_pChange = nullptr;
    CGlazeTextButton* m_pUpgrade = nullptr;
    CGlazeTextButton* m_pSwitch = nullptr;
    CGlazeTextButton* m_pHelp = nullptr;
    CGlazeTextButton* m_pExit = nullptr;
    std::unique_ptr<CDlgLogo> m_pLogo;
    std::unique_ptr<CDlgMessage> m_pNotice;
    QSystemTrayIcon* m_pTray = nullptr;
    std::unique_ptr<QMenu> m_pTrayMenu;
    QFont m_font;
    QTimer m_pollTimer;
    QTcpSocket* m_pProbe = nullptr;
    int m_nSelected = -1;
    bool m_bChangingAccount = false;
    // The account in force before a change, put back when the server refuses the new one.
    int m_nPreviousId = -1;
    std::string m_strPreviousPassword;
};
