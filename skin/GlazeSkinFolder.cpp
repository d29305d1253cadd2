#include "skin/GlazeSkinFolder.h"

#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>

namespace {
constexpr std::size_t kMaxFolderLength = 63;

QString FindProfile() {
    const QDir here = QDir::current();
    if (here.exists(QStringLiteral("config.ini")))
        return here.filePath(QStringLiteral("config.ini"));
    const QStringList entries = here.entryList(QDir::Files | QDir::Hidden);
    for (const QString& entry : entries) {
        if (entry.compare(QStringLiteral("config.ini"), Qt::CaseInsensitive) == 0)
            return here.filePath(entry);
    }
    return {};
}

// Profile rules: sections and keys compare without regard to case and the first
// match wins; a value is trimmed and loses one pair of enclosing quotes.
QString ReadProfileValue(const QString& file, const QString& section, const QString& key) {
    QFile profile(file);
    if (!profile.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    bool inSection = false;
    while (!profile.atEnd()) {
        const QString line = QString::fromUtf8(profile.readLine()).trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            const qsizetype close = line.indexOf(QLatin1Char(']'));
            inSection =
                close > 0 && line.mid(1, close - 1).trimmed().compare(section, Qt::CaseInsensitive) == 0;
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (!inSection || equals <= 0 || line.left(equals).trimmed().compare(key, Qt::CaseInsensitive) != 0)
            continue;
        QString value = line.mid(equals + 1).trimmed();
        if (value.size() >= 2 && ((value.startsWith(QLatin1Char('"')) && value.endsWith(QLatin1Char('"'))) ||
                                  (value.startsWith(QLatin1Char('\'')) && value.endsWith(QLatin1Char('\'')))))
            value = value.mid(1, value.size() - 2);
        return value;
    }
    return {};
}
} // namespace

std::string GlazeSkinFolder() {
    const QString file = FindProfile();
    if (file.isEmpty())
        return {};
    std::string folder =
        ReadProfileValue(file, QStringLiteral("chattool"), QStringLiteral("skin")).toStdString();
    if (folder.size() > kMaxFolderLength) {
        // Cut at a character boundary, never inside a multi-byte character.
        std::size_t end = kMaxFolderLength;
        while (end > 0 && (static_cast<unsigned char>(folder[end]) & 0xC0) == 0x80)
            --end;
        folder.resize(end);
    }
    return folder;
}

std::string GlazeSkinFile(const char* name) {
    const std::string folder = GlazeSkinFolder();
    if (folder.empty())
        return {};
    return folder + "/" + name;
}
