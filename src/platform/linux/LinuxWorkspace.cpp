#include "LinuxWorkspace.h"

#include <QDesktopServices>
#include <QString>
#include <QUrl>

namespace fray {

bool LinuxWorkspace::openFolder(const std::string& path) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path)));
}

bool LinuxWorkspace::openUrl(const std::string& url) {
    return QDesktopServices::openUrl(QUrl(QString::fromStdString(url)));
}

} // namespace fray
