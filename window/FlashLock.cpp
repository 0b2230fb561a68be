#include "window/FlashLock.h"

#include <QSysInfo>

namespace kv410 {

FlashLock::FlashLock(const QString& flashPath)
    : path_(flashPath + QStringLiteral(".lock")), lock_(std::make_unique<QLockFile>(path_)) {
    // Only a lock whose program has ended is stale, however long the other window has run.
    lock_->setStaleLockTime(0);
}

bool FlashLock::take() {
    if (lock_->tryLock(0)) {
        return true;
    }
    return lock_->error() != QLockFile::LockFailedError;
}

QString FlashLock::holder() const {
    qint64 pid = 0;
    QString host;
    QString application;
    if (!lock_->getLockInfo(&pid, &host, &application)) {
        return QStringLiteral("another program");
    }
    QString who = QStringLiteral("%1 (process %2")
                      .arg(application.isEmpty() ? QStringLiteral("kv410") : application)
                      .arg(pid);
    if (!host.isEmpty() && host != QSysInfo::machineHostName()) {
        who += QStringLiteral(" on %1").arg(host);
    }
    return who + QLatin1Char(')');
}

} // namespace kv410
