#include "console/ProgramIcon.h"

#include "platform/ApplicationEntries.h"
#include "platform/Paths.h"

#include <QPainter>
#include <QPixmap>

#include <filesystem>
#include <map>
#include <system_error>

namespace console {
namespace {

namespace fs = std::filesystem;

std::string Canonical(const std::string& path) {
    std::error_code error;
    const fs::path found = fs::weakly_canonical(path, error);
    return error ? path : found.string();
}

// Program -> Icon text of the menu's launchers, read once per run: the page
// is rebuilt each time it is chosen, and a scan costs a file read per launcher.
std::map<std::string, std::string>& LauncherIcons() {
    static std::map<std::string, std::string> icons = [] {
        std::map<std::string, std::string> found;
        for (const platform::InstalledEntry& launcher :
             platform::ScanApplications(platform::ApplicationFolders())) {
            const std::string program = platform::FindInPath(launcher.entry.command.front());
            if (!program.empty() && !launcher.entry.icon.empty()) {
                found.emplace(Canonical(program), launcher.entry.icon); // the first launcher wins
            }
        }
        return found;
    }();
    return icons;
}

QPixmap Canvas() {
    QPixmap picture(32, 32);
    picture.fill(Qt::transparent);
    return picture;
}

} // namespace

QIcon IconOfEntry(const std::string& icon) {
    if (icon.empty()) {
        return {};
    }
    const QString text = QString::fromStdString(icon);
    if (fs::path(icon).is_absolute()) {
        const QIcon file(text);
        return file.availableSizes().isEmpty() ? QIcon() : file;
    }
    return QIcon::fromTheme(text);
}

void RememberLauncherIcon(const std::string& program, const std::string& icon) {
    if (!icon.empty()) {
        LauncherIcons()[Canonical(program)] = icon;
    }
}

QIcon ProgramIcon(const std::string& program, const std::string& fileName) {
    if (const auto found = LauncherIcons().find(Canonical(program)); found != LauncherIcons().end()) {
        if (QIcon icon = IconOfEntry(found->second); !icon.isNull()) {
            return icon;
        }
    }
    if (!fileName.empty() && fileName.find('/') == std::string::npos) {
        if (QIcon own = QIcon::fromTheme(QString::fromStdString(fileName)); !own.isNull()) {
            return own;
        }
    }
    return GenericProgramIcon();
}

QIcon GenericProgramIcon() {
    QIcon themed = QIcon::fromTheme(QStringLiteral("application-x-executable"));
    if (!themed.isNull()) {
        return themed;
    }
    // Without an icon theme: a small window.
    QPixmap picture = Canvas();
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x14, 0x4F, 0x7F), 1.5));
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(3.5, 5.5, 25, 21), 2, 2);
    p.fillRect(QRectF(4, 6, 24, 5), QColor(0x3A, 0x7C, 0xB8));
    return QIcon(picture);
}

QIcon AddIcon() {
    QIcon themed = QIcon::fromTheme(QStringLiteral("list-add"));
    if (!themed.isNull()) {
        return themed;
    }
    QPixmap picture = Canvas();
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x2E, 0x9B, 0x3E));
    p.drawEllipse(QRectF(2, 2, 28, 28));
    p.fillRect(QRectF(14, 8, 4, 16), Qt::white);
    p.fillRect(QRectF(8, 14, 16, 4), Qt::white);
    return QIcon(picture);
}

} // namespace console
