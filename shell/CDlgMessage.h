#pragma once
// The short message box above the taskbar's right end, shown for three seconds.

#include "skin/CGlazeDialog.h"

#include <QTimer>

class CGlazeStatic;

class CDlgMessage : public CGlazeDialog {
public:
    explicit CDlgMessage(QWidget* owner);
    ~CDlgMessage() override;
    bool OnInitDialog();

    // Shows "瓦罗提示:\n<message>" for three seconds.
    void ShowMessage(const QString& message);
    QString Text() const;

    // The one message box of the process, or null.
    static CDlgMessage* Instance();

    static constexpr int kShowMs = 3000;

protected:
    void OnOK() override {}
    void OnCancel() override { hide(); }

private:
    CGlazeStatic* m_pStatic;
    QTimer m_timer;
};

// Shows a message in the shell's message box, when there is one.
void ShowMessage(const QString& message);
