#pragma once
// The program's own message box: a kind text chooses the message and the buttons, and the answer comes
// back through the same text (App::MessageBoxKind).
#include <string>
#include <string_view>

namespace vx {

class App;

inline constexpr std::string_view kFilesRepaired = "FILES REPAIRED";
inline constexpr std::string_view kCloseConfirmation = "CLOSE CONFERMATION";
inline constexpr std::string_view kCancelScanning = "CANCEL SCANNING";
inline constexpr std::string_view kDeleteBackupFile = "DELETE BACKUP FILE";

// The message of a kind (compared trimmed and upper-cased); empty for an unknown kind.
std::string MessageOfKind(std::string_view kind);
// Whether the kind asks a question (OK and Cancel).
bool KindHasCancel(std::string_view kind);

// FrmMessagebox shown modally for the kind in app.MessageBoxKind. OK on a question leaves "YES",
// Cancel leaves "NO"; an information box leaves the kind in place.
void ShowFrmMessagebox(App& app);
// The caller's side of the protocol: set the kind, show the box, read the answer.
bool AskMessageBox(App& app, std::string_view kind);

} // namespace vx
