#pragma once
// The list of update servers, by name and sorted, for the user to choose
// the one that suits the network (response times are not shown).

#include "update/ServerList.h"

#include <QDialog>

#include <string>
#include <vector>

class QListWidget;
class QPushButton;

class CSelectServerDlg : public QDialog {
public:
    explicit CSelectServerDlg(const std::vector<update::tagServer>& servers, QWidget* parent = nullptr);

    // The chosen server's address, once the dialog ended with OK.
    const std::string& GetAddress() const { return m_strAddress; }

    QListWidget* List() const { return m_pList; }
    QPushButton* OkButton() const { return m_pOk; }
    QPushButton* CancelButton() const { return m_pCancel; }

protected:
    // OK without a selection does nothing.
    void accept() override;

private:
    QListWidget* m_pList = nullptr;
    QPushButton* m_pOk = nullptr;
    QPushButton* m_pCancel = nullptr;
    std::string m_strAddress;
};
