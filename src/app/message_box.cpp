// The program's own message box: a kind text chooses the message and the buttons, and the answer comes
// back through the same text (App::MessageBoxKind).
#include "app/message_box.h"

#include "app/app.h"
#include "platform/text.h"

#include <array>

namespace vx {
namespace {

struct Kind {
    std::string_view kind;
    std::string_view message;
    bool withCancel;
};

constexpr std::array<Kind, 4> kKinds{{
    {kFilesRepaired, " All Problems were repaired sucessfully !", false},
    {kCloseConfirmation, "Are you sure you want close Vantrelix ?", true},
    {kCancelScanning, "Are you sure you want to stop the scanning ?", true},
    {kDeleteBackupFile, "Are you sure you want delete the selected file ?", true},
}};

const Kind* FindKind(std::string_view kind) {
    const std::string wanted = UpperAscii(TrimBlanks(kind));
    for (const auto& row : kKinds)
        if (row.kind == wanted)
            return &row;
    return nullptr;
}

} // namespace

std::string MessageOfKind(std::string_view kind) {
    const Kind* row = FindKind(kind);
    return row ? std::string(row->message) : std::string();
}

bool KindHasCancel(std::string_view kind) {
    const Kind* row = FindKind(kind);
    return row && row->withCancel;
}

void ShowFrmMessagebox(App& app) {
    const Kind* row = FindKind(app.MessageBoxKind);
    const std::string message = row ? std::string(row->message) : std::string();
    const bool withCancel = row && row->withCancel;
    const bool ok = app.ShowMessageBox(message, withCancel);
    if (!withCancel)
        return;
    app.MessageBoxKind.clear();
    app.MessageBoxKind = ok ? "YES" : "NO";
}

bool AskMessageBox(App& app, std::string_view kind) {
    app.MessageBoxKind.clear();
    app.MessageBoxKind = std::string(kind);
    ShowFrmMessagebox(app);
    return UpperAscii(TrimBlanks(app.MessageBoxKind)) == "YES";
}

} // namespace vx
