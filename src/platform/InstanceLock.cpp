#include "InstanceLock.h"

#include "AppId.h"

#include <QDir>
#include <QLockFile>
#include <QString>

#include <unistd.h>

namespace fray {

InstanceLock::InstanceLock(std::string path) : path_(std::move(path)) {}
InstanceLock::~InstanceLock() = default;

std::string InstanceLock::defaultPath(const std::string& runtimeDir) {
    std::string dir = runtimeDir;
    if (dir.empty()) dir = QDir::tempPath().toStdString() + "/fraymark-" + std::to_string(getuid());
    QDir().mkpath(QString::fromStdString(dir));
    return dir + "/" + appId + ".lock";
}

bool InstanceLock::acquire() {
    lock_ = std::make_unique<QLockFile>(QString::fromStdString(path_));
    lock_->setStaleLockTime(0); // only a dead owner makes a lock stale, never its age
    if (lock_->tryLock(0)) return true;
    qint64 pid = 0;
    QString host, app;
    if (lock_->getLockInfo(&pid, &host, &app)) otherPid_ = pid;
    return false;
}

} // namespace fray
