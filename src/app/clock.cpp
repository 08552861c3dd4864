// The local time and how the program writes dates and times in its texts.
#include "app/clock.h"

namespace vx {

std::tm LocalTimeNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    return local;
}

std::string TimeOfDayText(const std::tm& time) {
    char text[32];
    const size_t n = std::strftime(text, sizeof text, "%H:%M:%S", &time);
    return std::string(text, n);
}

std::string ShortDateText(const std::tm& time) {
    char text[32];
    const size_t n = std::strftime(text, sizeof text, "%d/%m/%Y", &time);
    return std::string(text, n);
}

} // namespace vx
