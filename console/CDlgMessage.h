#pragma once
// The console's notice window: a shaped box beside the main window that shows
// "瓦罗提示:\n<text>" for five seconds.

#include "skin/CGlazeDialog.h"

#include <QTimer>

class CGlazeStatic;

class CDlgMessage : public CGlazeDialog {
public:
    explicit CDlgMessage(QWidget* owner);
    ~CDlgMessage() override;
    bool OnInitDialog();

    // Null hides the window.
    void ShowNotice(const char* text);
    QString Text() const;

    // The notice window of the process, or null while there is none.
    static CDlgMessage* Instance();

    static constexpr int kShowMs = 5000;

protected:
    void OnOK() override {}
    void OnCancel() override { hide(); }

private:
    CGlazeStatic* m_pStatic;
    QTimer m_timer;
};

// Shows `text` in the notice window when there is one; null hides it.
void ShowNotice(const char* text);
inline void ShowNotice(const QString& text) {
    ShowNotice(text.toUtf8().constData());
}
