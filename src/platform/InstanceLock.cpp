#include "InstanceLock.h"

#include "AppId.h"

#include <QDir>
#include <QLockFile>
#include <QString>

#include <sys/stat.h>
#include <unistd.h>

namespace fray {

InstanceLock::InstanceLock(std::string path) : path_(std::move(path)) {}
InstanceLock::~InstanceLock() = default;

namespace {
// A real directory (not a link to one) that belongs to this user.
bool ours(const std::string& dir) {
    struct stat st;
    return ::lstat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid();
}
} // namespace

std::string InstanceLock::defaultPath(const std::string& runtimeDir, const std::string& userRunDir,
                                      const std::string& tempDir) {
    const std::string uid = std::to_string(::getuid());
    std::string dir = runtimeDir;
    if (!dir.empty()) {
        QDir().mkpath(QString::fromStdString(dir));
    } else if (ours(userRunDir.empty() ? "/run/user/" + uid : userRunDir)) {
        dir = userRunDir.empty() ? "/run/user/" + uid : userRunDir;
    } else {
        // /tmp is shared: anyone may have made the folder first, or put a link there.
        dir = tempDir + "/fraymark-" + uid;
        ::mkdir(dir.c_str(), 0700);
        if (!ours(dir) || ::chmod(dir.c_str(), 0700) != 0) return {};
    }
    return dir + "/" + appId + ".lock";
}

bool InstanceLock::acquire() {
    if (path_.empty()) return false;
    lock_ = std::make_unique<QLockFile>(QString::fromStdString(path_));
    lock_->setStaleLockTime(0); // only a dead owner makes a lock stale, never its age
    if (lock_->tryLock(0)) return true;
    qint64 pid = 0;
    QString host, app;
    if (lock_->getLockInfo(&pid, &host, &app)) otherPid_ = pid;
    return false;
}

} // namespace fray
