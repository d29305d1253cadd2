#pragma once
// The browser's web profile: cookies, logins and cache kept under the user's
// XDG data and cache folders (never in the installation folder), downloads
// refused quietly.

class QObject;
class QWebEngineProfile;

// A persistent profile owned by `parent`.
QWebEngineProfile* CreateBrowserProfile(QObject* parent);
