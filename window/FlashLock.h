// One Flash.dat, one writer: the window holds an advisory lock beside the file while it may
// write it, so a second window on the same file learns that another one has it.
#pragma once

#include <QLockFile>
#include <QString>

#include <memory>

namespace kv410 {

class FlashLock {
public:
    // The lock of the flash file at `flashPath` ("PATH.lock" beside it); not yet taken.
    explicit FlashLock(const QString& flashPath);

    // Takes the lock; false when another living program holds it. A lock that cannot be made at
    // all (a folder that cannot be written) counts as taken: the save then reports what fails.
    bool take();
    // Who holds the lock, for the message: "process N" (on HOST when another machine's).
    QString holder() const;
    // The lock file's path.
    QString lockPath() const { return path_; }

private:
    QString path_;
    std::unique_ptr<QLockFile> lock_;
};

} // namespace kv410
