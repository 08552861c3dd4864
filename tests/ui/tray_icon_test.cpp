// clsTray: what the notification area is told on each call, the state the class keeps between calls, the
// tooltip's cut, and which tray messages open the menu.
#include "ui/tray_icon.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace vx {
namespace {

// Records the platform calls as "Add TIP", "Modify TIP", "Delete".
class RecordingArea : public NotificationArea {
  public:
    void Add(std::string_view tip) override { calls.push_back("Add " + std::string(tip)); }
    void Modify(std::string_view tip) override { calls.push_back("Modify " + std::string(tip)); }
    void Delete() override { calls.push_back("Delete"); }
    std::vector<std::string> calls;
};

// One call on the tray: 's' ShowIcon (with the caption), 'r' RemoveIcon, 'c' ChangeToolTip (with the text).
struct Call {
    char op;
    std::string text;
};

void Play(clsTray& tray, const std::vector<Call>& calls) {
    for (const Call& call : calls) {
        switch (call.op) {
        case 's':
            tray.ShowIcon(TrayForm{call.text});
            break;
        case 'r':
            tray.RemoveIcon(TrayForm{"Vantrelix v3.0"});
            break;
        case 'c':
            tray.ChangeToolTip(TrayForm{"Vantrelix v3.0"}, call.text);
            break;
        }
    }
}

TEST(TrayIcon, CallsReachTheAreaAndTheRecordFollowsThem) {
    struct Case {
        const char* what;
        std::vector<Call> calls;
        std::vector<std::string> area;
        bool running;
        std::string tip;
        uint32_t callback; // uCallbackMessage
    };
    const std::vector<Case> cases{
        {"show", {{'s', "Vantrelix v3.0"}}, {"Add Vantrelix v3.0"}, true, "Vantrelix v3.0", 0x200},
        {"show and retitle",
         {{'s', "Vantrelix v3.0"}, {'c', "Scanning"}},
         {"Add Vantrelix v3.0", "Modify Scanning"},
         true,
         "Scanning",
         0x200},
        {"show and remove",
         {{'s', "Vantrelix v3.0"}, {'r', ""}},
         {"Add Vantrelix v3.0", "Delete"},
         false,
         "",
         1},
        {"retitle without an icon", {{'c', "Scanning"}}, {}, false, "", 0},
        {"retitle after the icon went",
         {{'s', "Vantrelix v3.0"}, {'r', ""}, {'c', "Scanning"}},
         {"Add Vantrelix v3.0", "Delete"},
         false,
         "",
         1},
        {"remove without an icon: the flag follows the call", {{'r', ""}}, {"Delete"}, false, "", 1},
        {"shown again after a removal",
         {{'s', "A"}, {'r', ""}, {'s', "B"}, {'c', "C"}},
         {"Add A", "Delete", "Add B", "Modify C"},
         true,
         "C",
         0x200},
    };
    for (const Case& c : cases) {
        RecordingArea area;
        clsTray tray(area);
        EXPECT_FALSE(tray.bRunningInTray()) << c.what;
        Play(tray, c.calls);
        EXPECT_EQ(area.calls, c.area) << c.what;
        EXPECT_EQ(tray.bRunningInTray(), c.running) << c.what;
        EXPECT_EQ(tray.szTip(), c.tip) << c.what;
        EXPECT_EQ(tray.uCallbackMessage(), c.callback) << c.what;
    }
}

TEST(TrayIcon, TheTooltipKeepsAtMost63BytesAndNeverHalfACharacter) {
    const std::string euro = "\xE2\x82\xAC"; // three bytes
    const std::string eAcute = "\xC3\xA9";   // two bytes
    auto repeat = [](const std::string& s, int n) {
        std::string out;
        for (int i = 0; i < n; ++i)
            out += s;
        return out;
    };
    struct Case {
        const char* what;
        std::string text;
        std::string tip;
    };
    const std::vector<Case> cases{
        {"short", "Vantrelix v3.0", "Vantrelix v3.0"},
        {"63 fit", std::string(63, 'a'), std::string(63, 'a')},
        {"64 lose the last", std::string(64, 'a'), std::string(63, 'a')},
        {"long", std::string(100, 'x'), std::string(63, 'x')},
        {"two-byte character ending at 63", std::string(61, 'a') + eAcute + "z",
         std::string(61, 'a') + eAcute},
        {"two-byte character across the cut", std::string(62, 'a') + eAcute, std::string(62, 'a')},
        {"three-byte characters filling 63", repeat(euro, 22), repeat(euro, 21)},
        {"three-byte character across the cut", std::string(61, 'a') + euro, std::string(61, 'a')},
        {"a zero ends the text", std::string("Van\0trelix", 10), "Van"},
    };
    for (const Case& c : cases) {
        for (const bool byCaption : {true, false}) {
            RecordingArea area;
            clsTray tray(area);
            if (byCaption) {
                tray.ShowIcon(TrayForm{c.text});
                EXPECT_EQ(area.calls.back(), "Add " + c.tip) << c.what;
            } else {
                tray.ShowIcon(TrayForm{"Vantrelix v3.0"});
                tray.ChangeToolTip(TrayForm{"Vantrelix v3.0"}, c.text);
                EXPECT_EQ(area.calls.back(), "Modify " + c.tip) << c.what;
            }
            EXPECT_EQ(tray.szTip(), c.tip) << c.what << (byCaption ? " (caption)" : " (tooltip)");
        }
    }
}

TEST(TrayIcon, OnlyALeftDoubleClickOrARightReleaseWhileShownOpensTheMenu) {
    struct Case {
        const char* what;
        bool running;
        int x;
        bool opens;
    };
    const std::vector<Case> cases{
        {"left double click", true, 7725, true},
        {"right button up", true, 7755, true},
        {"left button down", true, TrayMessageAsTwips(kTrayLeftButtonDown), false},
        {"left button up (a single click)", true, TrayMessageAsTwips(kTrayLeftButtonUp), false},
        {"left double click by its message", true, TrayMessageAsTwips(kTrayLeftDoubleClick), true},
        {"right button down", true, TrayMessageAsTwips(kTrayRightButtonDown), false},
        {"right button up by its message", true, TrayMessageAsTwips(kTrayRightButtonUp), true},
        {"middle button up", true, TrayMessageAsTwips(kTrayMiddleButtonUp), false},
        {"a movement over the icon", true, TrayMessageAsTwips(kTrayMouseMove), false},
        {"a pixel beside the double click", true, 7726, false},
        {"the double click's message number itself", true, 0x203, false},
        {"double click without the icon", false, 7725, false},
        {"right release without the icon", false, 7755, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsTrayMenuClick(c.running, c.x), c.opens) << c.what;
}

} // namespace
} // namespace vx
