#include "core/VirtualPlatform.h"

#include <charconv>
#include <chrono>

namespace kv410 {

namespace {

Platform* installed = nullptr;

int64_t secondsOf(int year, int month, int day, int hour, int minute, int second) {
    using namespace std::chrono;
    const sys_days date{std::chrono::year{year} / std::chrono::month{static_cast<unsigned>(month)} /
                        std::chrono::day{static_cast<unsigned>(day)}};
    return static_cast<int64_t>(date.time_since_epoch().count()) * 86400 + hour * 3600 +
           minute * 60 + second;
}

} // namespace

void installPlatform(Platform* p) {
    installed = p;
}

Platform& platform() {
    // A controller used before any host is installed still has a clock.
    static VirtualPlatform fallback;
    return installed != nullptr ? *installed : fallback;
}

VirtualPlatform::VirtualPlatform() {
    setClock(2026, 12, 7, 8, 0, 0);
}

void VirtualPlatform::setClock(int year, int month, int day, int hour, int minute, int second) {
    startSeconds_ = secondsOf(year, month, day, hour, minute, second);
    elapsedMs_ = 0;
}

HostDateTime VirtualPlatform::localNow() {
    using namespace std::chrono;
    const int64_t total = startSeconds_ + elapsedMs_ / 1000;
    if (total == cachedSecond_) {
        return cachedNow_;
    }
    int64_t days = total / 86400;
    int64_t rest = total % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    const sys_days date{std::chrono::days{days}};
    const year_month_day ymd{date};
    HostDateTime t;
    t.year = static_cast<int>(ymd.year());
    t.month = static_cast<int>(static_cast<unsigned>(ymd.month()));
    t.day = static_cast<int>(static_cast<unsigned>(ymd.day()));
    t.hour = static_cast<int>(rest / 3600);
    t.minute = static_cast<int>(rest / 60 % 60);
    t.second = static_cast<int>(rest % 60);
    t.dayOfWeek = static_cast<int>(weekday{date}.c_encoding()) + 1;
    cachedSecond_ = total;
    cachedNow_ = t;
    return t;
}

void VirtualPlatform::showMessageBox(std::string_view text, std::string_view caption,
                                     MessageButtons buttons) {
    messages.push_back({std::string(text), std::string(caption), buttons});
}

void VirtualPlatform::playAlarmSound() {
    ++beeps;
}

bool parseDateTime(std::string_view text, int& year, int& month, int& day, int& hour, int& minute,
                   int& second) {
    if (text.size() != 19 || text[4] != '-' || text[7] != '-' || text[10] != ' ' ||
        text[13] != ':' || text[16] != ':') {
        return false;
    }
    auto field = [&](size_t pos, size_t len, int& out) {
        const char* first = text.data() + pos;
        auto [ptr, ec] = std::from_chars(first, first + len, out);
        return ec == std::errc{} && ptr == first + len;
    };
    if (!field(0, 4, year) || !field(5, 2, month) || !field(8, 2, day) || !field(11, 2, hour) ||
        !field(14, 2, minute) || !field(17, 2, second)) {
        return false;
    }
    using namespace std::chrono;
    const year_month_day ymd{std::chrono::year{year},
                             std::chrono::month{static_cast<unsigned>(month)},
                             std::chrono::day{static_cast<unsigned>(day)}};
    return ymd.ok() && hour < 24 && minute < 60 && second < 60;
}

} // namespace kv410
