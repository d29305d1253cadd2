#include "shell/AppIcon.h"

#include "platform/DesktopEntry.h"

#include <QPainter>
#include <QPixmap>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <system_error>

namespace {

namespace fs = std::filesystem;

std::string Resolve(const std::string& command) {
    std::error_code error;
    if (command.find('/') != std::string::npos) {
        const fs::path found = fs::weakly_canonical(command, error);
        return error ? command : found.string();
    }
    const char* path = std::getenv("PATH");
    std::istringstream folders(path != nullptr ? path : "");
    for (std::string folder; std::getline(folders, folder, ':');) {
        const fs::path candidate = fs::path(folder.empty() ? "." : folder) / command;
        if (fs::is_regular_file(candidate, error)) {
            const fs::path found = fs::weakly_canonical(candidate, error);
            return error ? candidate.string() : found.string();
        }
    }
    return {};
}

std::vector<fs::path> LauncherFolders() {
    std::vector<fs::path> folders;
    if (const char* home = std::getenv("XDG_DATA_HOME"); home != nullptr && *home != '\0') {
        folders.emplace_back(fs::path(home) / "applications");
    } else if (const char* user = std::getenv("HOME"); user != nullptr && *user != '\0') {
        folders.emplace_back(fs::path(user) / ".local/share/applications");
    }
    const char* dirs = std::getenv("XDG_DATA_DIRS");
    std::istringstream list(dirs != nullptr && *dirs != '\0' ? dirs : "/usr/local/share:/usr/share");
    for (std::string folder; std::getline(list, folder, ':');) {
        if (!folder.empty()) {
            folders.emplace_back(fs::path(folder) / "applications");
        }
    }
    return folders;
}

// Program path -> icon name, from every launcher found once per run (the
// desktop is built once, and a launcher installed later shows at the next start).
const std::map<std::string, std::string>& LauncherIcons() {
    static const std::map<std::string, std::string> icons = [] {
        std::map<std::string, std::string> found;
        for (const fs::path& folder : LauncherFolders()) {
            std::error_code error;
            for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end;
                 it.increment(error)) {
                if (it->path().extension() != ".desktop") {
                    continue;
                }
                const auto entry = platform::ReadDesktopEntry(it->path().string());
                if (entry && !entry->command.empty() && !entry->icon.empty()) {
                    const std::string program = Resolve(entry->command.front());
                    if (!program.empty()) {
                        found.emplace(program, entry->icon); // the first folder wins, as for launchers
                    }
                }
            }
        }
        return found;
    }();
    return icons;
}

QIcon DrawnIcon(const std::string& name) {
    const QString text = QString::fromStdString(name);
    QPixmap picture(48, 48);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor::fromHsv(static_cast<int>(qHash(text) % 360), 170, 235));
    p.drawRoundedRect(QRectF(2, 2, 44, 44), 11, 11);
    p.setBrush(QColor(255, 255, 255, 190));
    p.drawEllipse(QPointF(24, 24), 13, 13);
    if (!text.isEmpty()) {
        QFont font = p.font();
        font.setPixelSize(16);
        font.setBold(true);
        p.setFont(font);
        p.setPen(QColor(0, 78, 152));
        p.drawText(QRect(0, 0, 48, 48), Qt::AlignCenter, text.left(1));
    }
    return QIcon(picture);
}

} // namespace

QIcon AppIcon(const std::string& program, const std::string& name) {
    std::error_code error;
    const fs::path canonical = fs::weakly_canonical(program, error);
    const auto found = LauncherIcons().find(error ? program : canonical.string());
    if (found != LauncherIcons().end()) {
        const QString icon = QString::fromStdString(found->second);
        QIcon themed = fs::path(found->second).is_absolute() ? QIcon(icon) : QIcon::fromTheme(icon);
        if (!themed.isNull()) {
            return themed;
        }
    }
    return DrawnIcon(name);
}
