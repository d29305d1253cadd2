#pragma once
// The rest notice: how much of the rest is left, counted down every ten
// seconds on its own. Only a display: the shell's tick ends the rest.

#include "skin/CGlazeDialog.h"

#include <QTimer>

#include <functional>

class CDlgRest : public CGlazeDialog {
public:
    CDlgRest();
    bool OnInitDialog();

    void SetRemaining(int remainingMs) { m_nRemaining = remainingMs; }
    int Remaining() const { return m_nRemaining; }
    void RefreshText();
    // Shows `reason` in place of the time left, for good: the desktop is
    // locked.
    void ShowReason(const QString& reason);
    // Timer 0: ten seconds less.
    void StartCountdown() { m_countdown.start(); }
    void StopCountdown() { m_countdown.stop(); }
    bool IsCountingDown() const { return m_countdown.isActive(); }
    void OnCountdown();

    static constexpr int kCountdownMs = 10000;

    // Where a locked desktop has no taskbar (no skin), Return or a click on
    // the notice asks for the exit dialog instead of the start button.
    void SetOnExitRequest(std::function<void()> request) { m_onExitRequest = std::move(request); }

protected:
    void OnOK() override { RequestExit(); }
    void OnCancel() override {}
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void RequestExit() {
        if (m_onExitRequest) {
            m_onExitRequest();
        }
    }

    std::function<void()> m_onExitRequest;
    int m_nRemaining = 0;
    QTimer m_countdown;
};
