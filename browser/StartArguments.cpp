#include "browser/StartArguments.h"

#include <QDir>

std::vector<QUrl> StartAddresses(const QStringList& arguments) {
    std::vector<QUrl> addresses;
    for (const QString& argument : arguments) {
        if (argument.isEmpty() || argument.startsWith(QLatin1Char('-'))) {
            continue;
        }
        if (QDir::isAbsolutePath(argument)) {
            addresses.push_back(QUrl::fromLocalFile(argument));
            continue;
        }
        const QUrl url(argument, QUrl::StrictMode);
        if (url.isValid() && !url.scheme().isEmpty()) {
            addresses.push_back(url);
        }
    }
    return addresses;
}
