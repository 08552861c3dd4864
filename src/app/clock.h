#pragma once
// The local time and how the program writes dates and times in its texts.
#include <ctime>
#include <string>

namespace vx {

std::tm LocalTimeNow();
// The time of day as the system writes it ("14:05:09").
std::string TimeOfDayText(const std::tm& time);
// The short date form, day/month/year ("10/12/2026").
std::string ShortDateText(const std::tm& time);

} // namespace vx
