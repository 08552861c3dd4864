#pragma once
// Driving the program's windows from a test on their own thread: pumping their messages until a state is
// reached, answering the message boxes that come up meanwhile, and reading the list controls and the
// pixels back.
#include "win32gui/windows_api.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace vx::win32gui::testing {

// Hands the thread's messages to their windows until `reached` or the time is up; false on time out.
bool PumpUntil(const std::function<bool()>& reached,
               std::chrono::milliseconds limit = std::chrono::seconds(120));

// While it lives, every visible window of this thread of the class `className` is answered by `answer`
// (given the window), each time a timer of the thread looks (every 30 ms, also inside modal loops), and
// the texts of the message boxes among them are kept. Several may live at once, for several classes.
class WindowAnswerer {
  public:
    WindowAnswerer(const wchar_t* className, std::function<void(HWND window)> answer);
    ~WindowAnswerer();
    WindowAnswerer(const WindowAnswerer&) = delete;
    WindowAnswerer& operator=(const WindowAnswerer&) = delete;
    const std::vector<std::string>& seen() const { return seen_; }

  private:
    static void CALLBACK Look(HWND, UINT, UINT_PTR, DWORD);
    std::wstring className_;
    std::function<void(HWND)> answer_;
    std::vector<std::string> seen_;
    UINT_PTR timer_ = 0;
};

// Answers the program's message boxes.
class BoxAnswerer : public WindowAnswerer {
  public:
    explicit BoxAnswerer(std::function<void(HWND box)> answer);
};
// The ways of answering a box.
void ClickButton(HWND box, int id);
void PressKey(HWND box, WPARAM key);

// The rows of a list view, as it shows them.
std::vector<std::string> ListTexts(HWND list);
// A click on a row of a list view, as the list view tells its parent.
void ClickRow(HWND list, int row);

// Whether a pixel read back is `expected`, each channel within `tolerance` (drawing with transparency
// rounds a little), saying both colours when it is not.
::testing::AssertionResult ColourNear(COLORREF actual, COLORREF expected, int tolerance);

} // namespace vx::win32gui::testing
