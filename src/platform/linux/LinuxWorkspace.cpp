#include "LinuxWorkspace.h"

#include <QDesktopServices>
#include <QString>
#include <QUrl>

#include <filesystem>

namespace fray {

Workspace::Opened LinuxWorkspace::openFolder(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::is_directory(path, ec)) return Opened::missing;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path))) ? Opened::yes
                                                                                        : Opened::noHandler;
}

bool LinuxWorkspace::openUrl(const std::string& url) {
    return QDesktopServices::openUrl(QUrl(QString::fromStdString(url)));
}

} // namespace fray
