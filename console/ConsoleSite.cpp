#include "console/ConsoleSite.h"

#include <cstdlib>

namespace console {

QString MakerSite() {
    const char* site = std::getenv("WARROW_MAKER_SITE");
    QString text = QString::fromUtf8(site != nullptr && *site != '\0' ? site : "http://www.warrow.example/");
    if (!text.endsWith(QLatin1Char('/'))) {
        text += QLatin1Char('/');
    }
    return text;
}

QString HelpPage() {
    return MakerSite() + QStringLiteral("help.asp");
}

} // namespace console
