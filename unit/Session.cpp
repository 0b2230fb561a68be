#include "unit/Session.h"

#include "core/FlashFile.h"
#include "unit/ControllerState.h"
#include "unit/FormLifeCycle.h"

#include <cstring>
#include <utility>

namespace kv410 {

Session::Session(Platform& host, std::string imageFile)
    : host_(&host), imageFile_(std::move(imageFile)) {}

void Session::create() {
    resetControllerState();
    installPlatform(host_);
    host_->clearBeeps();
    if (fileBacked()) {
        FlashFilePath = imageFile_;
        FormCreate();
    }
}

void Session::show() {
    FormShow();
}

void Session::start() {
    create();
    show();
}

bool Session::save() {
    if (FormDestroy()) {
        return true;
    }
    ++failedSaves_;
    return false;
}

void Session::close() {
    if (fileBacked() && !readOnly_) {
        save();
    } else {
        std::memcpy(carried_, FlashImage, sizeof carried_);
    }
}

void Session::reopen() {
    close();
    create();
    if (!fileBacked() || readOnly_) {
        std::memcpy(FlashImage, carried_, sizeof carried_);
    }
}

void Session::restart() {
    reopen();
    show();
}

bool Session::restartFromImageFile(const std::string& path) {
    resetControllerState();
    installPlatform(host_);
    host_->clearBeeps();
    const bool read = readFlashImageFile(path);
    show();
    return read;
}

bool Session::stop() {
    if (fileBacked() && !readOnly_) {
        return save();
    }
    return true;
}

} // namespace kv410
