#pragma once
// Driving the program's windows from a test on their own thread: pumping their messages until a state is
// reached, answering the message boxes that come up meanwhile, and reading the list controls back.
#include "win32gui/windows_api.h"

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace vx::win32gui::testing {

// Hands the thread's messages to their windows until `reached` or the time is up; false on time out.
bool PumpUntil(const std::function<bool()>& reached,
               std::chrono::milliseconds limit = std::chrono::seconds(120));

// While it lives, every message box of this thread that shows is answered by `answer` (given the box),
// and the boxes' texts are kept.
class BoxAnswerer {
  public:
    explicit BoxAnswerer(std::function<void(HWND box)> answer);
    ~BoxAnswerer();
    const std::vector<std::string>& seen() const;
};
// The ways of answering a box.
void ClickButton(HWND box, int id);
void PressKey(HWND box, WPARAM key);

// The rows of a list view, as it shows them.
std::vector<std::string> ListTexts(HWND list);
// A click on a row of a list view, as the list view tells its parent.
void ClickRow(HWND list, int row);

} // namespace vx::win32gui::testing
