#pragma once
// Opening a web page in the user's browser on Windows. The program associated with the page's file type
// is found by asking FindExecutableW about a scratch file of that type ("temphtm.htm" in the temporary
// folder, removed again at once) and started with the address in quotes, maximised; where no program is
// associated or it cannot be started, the shell opens the page itself.
#include <string>
#include <string_view>

namespace vx {

// `window` is the owner of the launch (an HWND, or null); `address` a URL or a file's path; `fileType`
// the type without its dot. False when nothing could be started.
bool OpenWebPage(void* window, std::string_view address, std::string_view fileType = "htm");

// The scratch file's path in `tempFolder` (which ends with a backslash, as GetTempPathW gives it).
std::wstring ScratchPagePath(std::wstring_view tempFolder, std::string_view fileType);
// The program in what FindExecutableW wrote: the text up to and including its first ".EXE" (in any
// case), without what follows (the zero and anything after it) and without blanks around it; the whole
// text before the zero, without blanks, when it names no ".EXE".
std::wstring ProgramOfAssociation(std::wstring_view found);

} // namespace vx
