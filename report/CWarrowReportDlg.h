#pragma once
// The report sender's window: which program failed, a box for the user's
// description and the send button. A plain dialog, not skinned.

#include <QDialog>

#include <functional>

class QLabel;
class QPlainTextEdit;
class QPushButton;

class CWarrowReportDlg : public QDialog {
public:
    explicit CWarrowReportDlg(QWidget* parent = nullptr);

    // Shows the apology naming the failed program.
    void SetProgram(const QString& program);
    QString GetDescription() const;
    void SetDescription(const QString& text);
    void EnableSend(bool enable);
    // Called when the user presses the send button.
    void SetOnSend(std::function<void()> onSend) { m_onSend = std::move(onSend); }
    QPushButton* SendButton() const { return m_pSend; }

    // The message for a program name, as the dialog shows it.
    static QString MessageFor(const QString& program);

protected:
    // Enter has no default action here: only the send button sends.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void ShowAbout();

    QLabel* m_pMessage = nullptr;
    QPlainTextEdit* m_pDescription = nullptr;
    QPushButton* m_pSend = nullptr;
    std::function<void()> m_onSend;
};
