#pragma once
// The web engine page of one tab. Every navigation of every frame (links,
// scripts, redirects, forms, history) asks the browser's admission first; a
// refused one is cancelled before any request leaves. Actions that would get
// around the filter (source view, developer tools, saving) do nothing.

#include <QWebEnginePage>
#include <functional>

class CExplorerPage : public QWebEnginePage {
public:
    // `admits` decides each address; `admitted` hears each admitted one.
    using Admits = std::function<bool(const QUrl& url)>;
    using Admitted = std::function<void(const QUrl& url, bool isMainFrame)>;

    CExplorerPage(QWebEngineProfile* profile, QObject* parent, Admits admits, Admitted admitted);

    void triggerAction(WebAction action, bool checked = false) override;

    // Navigations refused so far and the last refused address: what a
    // refusal leaves behind, since the child sees nothing.
    int RefusedCount() const { return m_nRefused; }
    // Notes a refusal made before the engine was asked.
    void NoteRefused(const QUrl& url);
    const QUrl& LastRefused() const { return m_lastRefused; }

    // Whether `action` may run at all in the child browser.
    static bool IsAllowedAction(WebAction action);

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;

private:
    Admits m_admits;
    Admitted m_admitted;
    int m_nRefused = 0;
    QUrl m_lastRefused;
};
