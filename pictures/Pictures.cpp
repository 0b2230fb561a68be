#include "pictures/Pictures.h"

#include "display/Lcd.h"
#include "panel/FrontPanel.h"
#include "unit/VirtualTime.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

namespace kv410 {

namespace {

FrontPictures* installedPictures = nullptr;

template <typename T>
void append(std::string& key, const T& value) {
    key.append(reinterpret_cast<const char*>(&value), sizeof value);
}

// NAME.png with `suffix` put before the extension.
std::string besideGolden(const std::string& golden, const char* suffix) {
    const size_t dot = golden.size() >= 4 ? golden.size() - 4 : golden.size();
    return golden.substr(0, dot) + suffix + golden.substr(dot);
}

} // namespace

void installFrontPictures(FrontPictures* pictures) {
    installedPictures = pictures;
}

FrontPictures* frontPictures() {
    return installedPictures;
}

std::string picturePath(const std::string& scriptFile, const std::string& folder,
                        const std::string& name) {
    const std::filesystem::path base = folder.empty()
                                           ? std::filesystem::path(scriptFile).parent_path()
                                           : std::filesystem::path(folder);
    return base.empty() ? name : (base / name).string();
}

std::string actualPicturePath(const std::string& golden) {
    return besideGolden(golden, ".actual");
}

std::string diffPicturePath(const std::string& golden) {
    return besideGolden(golden, ".diff");
}

std::string frontStateKey() {
    std::string key;
    key.reserve(256);
    key.append(&LcdLines[0][0], sizeof LcdLines);
    append(key, LcdLit);
    append(key, FrontLedLit);
    append(key, GraphVisible);
    if (GraphVisible) {
        append(key, barStart);
        append(key, barEnd);
    }
    append(key, knobFrame);
    append(key, CaptionLight);
    append(key, SensorPanelVisible);
    if (SensorPanelVisible) {
        append(key, RelayLampLit);
        append(key, SliderPositions);
        key.append(&SliderTexts[0][0], sizeof SliderTexts);
    }
    return key;
}

// ---------------------------------------------------------------- GIF timeline

int64_t GifTimeline::at(int64_t tick) const {
    return base_ + tick * TickMs;
}

void GifTimeline::scriptBegins() {
    base_ = last_;
}

void GifTimeline::stepBegins(int64_t tick, int64_t ticks) {
    stepStart_ = at(tick);
    last_ = std::max(last_, stepStart_);
    longStep_ = ticks * TickMs > LongMs;
    skipping_ = false;
}

void GifTimeline::observe(int64_t tick) {
    const int64_t now = at(tick);
    last_ = std::max(last_, now);
    if (longStep_ && now - stepStart_ > HeadMs) {
        if (!skipping_) {
            skipping_ = true;
            skipFrom_ = stepStart_ + HeadMs;
        }
        return;
    }
    std::string key = frontStateKey();
    if (!haveFrame_ || key != shownKey_) {
        shownKey_ = std::move(key);
        nextFrame(now, now);
    }
}

void GifTimeline::stepEnds(int64_t tick) {
    const int64_t now = at(tick);
    last_ = std::max(last_, now);
    const bool skipped = skipping_;
    longStep_ = false;
    skipping_ = false;
    if (skipped) {
        shownKey_ = frontStateKey();
        nextFrame(skipFrom_, now);
    } else {
        observe(tick);
    }
}

void GifTimeline::nextFrame(int64_t shownUntil, int64_t now) {
    if (haveFrame_) {
        int64_t stood = shownUntil - shownSince_;
        if (stood > LongMs) {
            leftOut_ += stood - HeadMs;
            stood = HeadMs;
        }
        if (stood > 0) {
            sink_.frameStood(shownLeftOut_ > 0 ? std::max(stood, MarkMs) : stood);
        } else {
            // A frame that never stood is dropped; its mark goes to the next one.
            leftOut_ += shownLeftOut_;
        }
    }
    leftOut_ += now - shownUntil;
    shownLeftOut_ = leftOut_;
    leftOut_ = 0;
    sink_.capture(shownLeftOut_ > 0 ? markText(shownLeftOut_) : std::string());
    haveFrame_ = true;
    shownSince_ = now;
}

void GifTimeline::finish() {
    if (!haveFrame_) {
        return;
    }
    // However long the last front stood, it is held for LastFrameMs before the picture repeats.
    sink_.frameStood(LastFrameMs);
    haveFrame_ = false;
}

std::string GifTimeline::markText(int64_t ms) {
    struct Unit {
        const char* name;
        int64_t ms;
    };
    static constexpr Unit Units[] = {{"d", 86400000}, {"h", 3600000}, {"min", 60000}, {"s", 1000}};
    std::string text = "+";
    int shown = 0;
    int64_t rest = ms;
    for (const Unit& unit : Units) {
        const int64_t amount = rest / unit.ms;
        // Two units at most, the larger next to each other ("1 d 3 h", never "1 d 5 s").
        if (shown == 2 || (shown == 1 && amount == 0)) {
            break;
        }
        if (amount > 0) {
            text += (shown > 0 ? " " : "") + std::to_string(amount) + " " + unit.name;
            rest -= amount * unit.ms;
            ++shown;
        }
    }
    return shown == 0 ? "+" + std::to_string(ms) + " ms" : text;
}

} // namespace kv410
