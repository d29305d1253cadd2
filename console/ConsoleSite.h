#pragma once
// The maker's web site: named in several messages, opened by the help link.
// A deployment value; WARROW_MAKER_SITE replaces it (a local mirror, tests).

#include <QString>

namespace console {

QString MakerSite();
QString HelpPage();

} // namespace console
