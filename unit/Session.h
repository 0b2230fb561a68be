// One run of the unit as a front-end owns it: its host, its virtual time, where its flash image
// lives (a file, or memory), and the program's start, restart and stop. Every front-end starts
// and restarts the unit through it, so all of them do it alike.
#pragma once

#include "core/Memory.h"
#include "core/Platform.h"
#include "unit/VirtualTime.h"

#include <cstdint>
#include <string>

namespace kv410 {

class Session {
public:
    // A run on `host`. The flash image lives in the file `imageFile` (loaded when the program
    // is created, saved when it closes), or, when that is empty, in memory: it starts all zero
    // (as with a missing file) and a restart carries it over exactly as a save and a load
    // through a file would.
    explicit Session(Platform& host, std::string imageFile = {});

    Platform& host() const { return *host_; }
    // True when the image lives in a file.
    bool fileBacked() const { return !imageFile_.empty(); }
    // The image is read from its file but never written back: a restart carries it over in
    // memory and the file stays as it was (another program owns it). Set before create().
    void setReadOnly(bool readOnly) { readOnly_ = readOnly; }
    bool readOnly() const { return readOnly_; }
    // How many times the image could not be saved to its file in this session (each was shown
    // as the controller's message box); every change since the last good save is lost.
    int failedSaves() const { return failedSaves_; }
    const std::string& imageFile() const { return imageFile_; }

    // The program is created: every piece of process state as at the program's start, this
    // session's host installed, the image loaded from its file (or kept in memory).
    void create();
    // The program is shown: the inputs at their start values and the controller booted.
    void show();
    // create() and show().
    void start();
    // The program closes (its image saved, or kept in memory) and starts again; the time goes on.
    void restart();
    // The first half of restart(): the program closes and is created again with its image, not
    // yet shown.
    void reopen();
    // The program starts again from the image in the file at `path`, which is only read (the
    // image of the run before is not saved); false, and an image all zero, when it cannot be
    // read.
    bool restartFromImageFile(const std::string& path);
    // The program closes: the image saved to its file (not when read-only). The host stays
    // installed until the session ends. False when the file could not be written.
    bool stop();

    // The run's time; a restart goes on in it.
    VirtualTime time;

private:
    // The program closes: the image saved to its file, or copied aside in memory.
    void close();
    // Saves the image to its file, counting a failure.
    bool save();

    Platform* host_;
    std::string imageFile_;
    bool readOnly_ = false;
    int failedSaves_ = 0;
    // Flash words 0..1023 carried over a restart without a file.
    uint16_t carried_[PersistedFlashWords] = {};
};

} // namespace kv410
