// OpenWebPage on a freedesktop host: the program associated with a file type comes from the shared MIME
// database (the type of the scratch file's name), the MIME applications lists (the type's default
// application) and that application's desktop entry (its Exec line); it is started detached with the
// address as its one argument.
#include "ui/web_page_launcher.h"

#include "platform/desktop_entry.h"
#include "platform/text.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <fnmatch.h>
#include <fstream>
#include <iterator>
#include <sys/stat.h>
#include <sys/wait.h>
#include <system_error>
#include <unistd.h>

namespace vx {
namespace {

namespace fs = std::filesystem;

std::optional<std::string> Env(const LauncherHost& host, const char* name) {
    if (!host.getenv)
        return std::nullopt;
    std::optional<std::string> value = host.getenv(name);
    if (value && value->empty())
        return std::nullopt;
    return value;
}

std::vector<std::string> SplitList(std::string_view text, char separator) {
    std::vector<std::string> items;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(separator, start);
        if (end == std::string_view::npos)
            end = text.size();
        if (end > start)
            items.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
    return items;
}

// The base folders of the XDG directories: the user's own first, then the system's.
struct XdgFolders {
    std::vector<fs::path> data;   // $XDG_DATA_HOME, then $XDG_DATA_DIRS
    std::vector<fs::path> config; // $XDG_CONFIG_HOME, then $XDG_CONFIG_DIRS
};

XdgFolders FoldersOf(const LauncherHost& host) {
    XdgFolders folders;
    const std::optional<std::string> home = Env(host, "HOME");
    if (auto dataHome = Env(host, "XDG_DATA_HOME"))
        folders.data.emplace_back(*dataHome);
    else if (home)
        folders.data.push_back(fs::path(*home) / ".local/share");
    for (const auto& dir : SplitList(Env(host, "XDG_DATA_DIRS").value_or("/usr/local/share:/usr/share"), ':'))
        folders.data.emplace_back(dir);
    if (auto configHome = Env(host, "XDG_CONFIG_HOME"))
        folders.config.emplace_back(*configHome);
    else if (home)
        folders.config.push_back(fs::path(*home) / ".config");
    for (const auto& dir : SplitList(Env(host, "XDG_CONFIG_DIRS").value_or("/etc/xdg"), ':'))
        folders.config.emplace_back(dir);
    return folders;
}

bool IsFile(const fs::path& path) {
    std::error_code ec;
    return fs::is_regular_file(path, ec);
}

bool IsExecutableFile(const fs::path& path) {
    return IsFile(path) && ::access(path.c_str(), X_OK) == 0;
}

std::string_view StripLineEnd(std::string_view line) {
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n'))
        line.remove_suffix(1);
    return line;
}

// The MIME type of a file name by the globs of the shared MIME database: the highest weight wins, then
// the longer pattern, then the folder met first (the user's before the system's).
std::string MimeTypeOfName(const XdgFolders& folders, const std::string& fileName) {
    const std::string lowerName = LowerAscii(fileName);
    std::string best;
    int bestWeight = -1;
    size_t bestLength = 0;
    auto consider = [&](int weight, std::string_view type, std::string_view glob, bool caseSensitive) {
        if (type.empty() || glob.empty())
            return;
        const std::string pattern = caseSensitive ? std::string(glob) : LowerAscii(glob);
        const std::string& name = caseSensitive ? fileName : lowerName;
        if (::fnmatch(pattern.c_str(), name.c_str(), 0) != 0)
            return;
        if (weight > bestWeight || (weight == bestWeight && glob.size() > bestLength)) {
            best = std::string(type);
            bestWeight = weight;
            bestLength = glob.size();
        }
    };
    for (const fs::path& base : folders.data) {
        if (std::ifstream globs2(base / "mime/globs2"); globs2) {
            // weight:type:glob[:flags]
            for (std::string line; std::getline(globs2, line);) {
                const std::string_view text = StripLineEnd(line);
                if (text.empty() || text.front() == '#')
                    continue;
                const std::vector<std::string> fields = [&] {
                    std::vector<std::string> out;
                    size_t start = 0;
                    for (int i = 0; i < 3 && start <= text.size(); ++i) {
                        size_t end = text.find(':', start);
                        if (end == std::string_view::npos)
                            end = text.size();
                        out.emplace_back(text.substr(start, end - start));
                        start = end + 1;
                    }
                    out.emplace_back(start <= text.size() ? text.substr(start) : std::string_view());
                    return out;
                }();
                if (fields.size() < 3)
                    continue;
                int weight = 0;
                try {
                    weight = std::stoi(fields[0]);
                } catch (...) {
                    continue;
                }
                const bool caseSensitive = fields.size() > 3 && fields[3].find("cs") != std::string::npos;
                consider(weight, fields[1], fields[2], caseSensitive);
            }
        } else if (std::ifstream globs(base / "mime/globs"); globs) {
            // type:glob, all of the default weight
            for (std::string line; std::getline(globs, line);) {
                const std::string_view text = StripLineEnd(line);
                if (text.empty() || text.front() == '#')
                    continue;
                const size_t colon = text.find(':');
                if (colon == std::string_view::npos)
                    continue;
                consider(50, text.substr(0, colon), text.substr(colon + 1), false);
            }
        }
    }
    return best;
}

// The desktop-file ids listed for `mimeType` in the group `group` of an ini-style file, in order.
void AppendListed(const fs::path& file, std::string_view group, const std::string& mimeType,
                  std::vector<std::string>& ids) {
    std::ifstream in(file);
    if (!in)
        return;
    bool inGroup = false;
    for (std::string line; std::getline(in, line);) {
        const std::string_view text = TrimBlanks(StripLineEnd(line));
        if (text.empty() || text.front() == '#')
            continue;
        if (text.front() == '[') {
            inGroup = text == "[" + std::string(group) + "]";
            continue;
        }
        if (!inGroup)
            continue;
        const size_t equals = text.find('=');
        if (equals == std::string_view::npos || TrimBlanks(text.substr(0, equals)) != mimeType)
            continue;
        for (const auto& id : SplitList(TrimBlanks(text.substr(equals + 1)), ';'))
            ids.push_back(std::string(TrimBlanks(id)));
    }
}

// The desktop file of `id` below one applications folder; a '-' in the id may stand for a subfolder
// ("kde-foo.desktop" is also "kde/foo.desktop").
std::optional<fs::path> DesktopFileIn(const fs::path& folder, const std::string& id) {
    if (id.empty())
        return std::nullopt;
    if (IsFile(folder / id))
        return folder / id;
    for (size_t dash = id.find('-'); dash != std::string::npos; dash = id.find('-', dash + 1)) {
        const fs::path sub = folder / id.substr(0, dash);
        std::error_code ec;
        if (!fs::is_directory(sub, ec))
            continue;
        if (auto found = DesktopFileIn(sub, id.substr(dash + 1)))
            return found;
    }
    return std::nullopt;
}

// The Exec key of the [Desktop Entry] group, its general escapes undone; empty when there is none.
std::string ExecOf(const fs::path& desktopFile) {
    std::ifstream in(desktopFile, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return DesktopEntryValue(text, "Exec").value_or("");
}

// The first word of an Exec line: up to the first blank, or a quoted argument with its quotes removed
// (inside the quotes a backslash takes the next '"', '`', '$' or '\' literally).
std::string FirstWord(std::string_view exec) {
    size_t i = 0;
    while (i < exec.size() && (exec[i] == ' ' || exec[i] == '\t'))
        ++i;
    std::string word;
    if (i < exec.size() && exec[i] == '"') {
        for (++i; i < exec.size() && exec[i] != '"'; ++i) {
            if (exec[i] == '\\' && i + 1 < exec.size() &&
                std::string_view("\"`$\\").find(exec[i + 1]) != std::string_view::npos)
                ++i;
            word += exec[i];
        }
        return word;
    }
    while (i < exec.size() && exec[i] != ' ' && exec[i] != '\t')
        word += exec[i++];
    return word;
}

// A program named by a path or found on $PATH, as an executable regular file; empty when none.
std::string ResolveProgram(const LauncherHost& host, const std::string& program) {
    if (program.empty())
        return {};
    if (program.find('/') != std::string::npos)
        return IsExecutableFile(program) ? program : std::string();
    for (const auto& dir : SplitList(Env(host, "PATH").value_or(""), ':')) {
        const fs::path candidate = fs::path(dir) / program;
        if (IsExecutableFile(candidate))
            return candidate.string();
    }
    return {};
}

// Deletes the scratch file when the launch is over, however it ends.
class ScratchFile {
  public:
    explicit ScratchFile(fs::path path) : path_(std::move(path)) {
        std::ofstream out(path_, std::ios::binary | std::ios::trunc);
        out << "\"\"\n";
    }
    ~ScratchFile() {
        std::error_code ec;
        fs::remove(path_, ec);
    }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;
    const fs::path& path() const { return path_; }

  private:
    fs::path path_;
};

// Starts argv[0] (a path) detached from this process: a double fork, so that the program becomes the
// child of init and never a zombie of ours, in a session of its own, with its standard streams on
// /dev/null. A pipe closed on exec tells whether the exec succeeded.
bool StartDetached(const std::vector<std::string>& argv) {
    if (argv.empty())
        return false;
    std::string program = argv[0];
    if (program.find('/') == std::string::npos) {
        LauncherHost env;
        env.getenv = [](const char* name) -> std::optional<std::string> {
            const char* value = ::getenv(name);
            return value ? std::optional<std::string>(value) : std::nullopt;
        };
        program = ResolveProgram(env, program);
        if (program.empty())
            return false;
    }
    // Everything the children need is made before the fork: after it, only async-signal-safe calls.
    std::vector<char*> args;
    args.push_back(program.data());
    std::vector<std::string> rest(argv.begin() + 1, argv.end());
    for (std::string& arg : rest)
        args.push_back(arg.data());
    args.push_back(nullptr);

    int status[2];
    if (::pipe2(status, O_CLOEXEC) != 0)
        return false;
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(status[0]);
        ::close(status[1]);
        return false;
    }
    if (child == 0) {
        ::close(status[0]);
        ::setsid();
        const pid_t grandchild = ::fork();
        if (grandchild != 0) {
            if (grandchild < 0) {
                const int error = errno;
                (void)!::write(status[1], &error, sizeof error);
            }
            ::_exit(0);
        }
        sigset_t none;
        sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        const int devNull = ::open("/dev/null", O_RDWR);
        if (devNull >= 0) {
            ::dup2(devNull, STDIN_FILENO);
            ::dup2(devNull, STDOUT_FILENO);
            ::dup2(devNull, STDERR_FILENO);
            if (devNull > STDERR_FILENO)
                ::close(devNull);
        }
        ::execv(args[0], args.data());
        const int error = errno;
        (void)!::write(status[1], &error, sizeof error);
        ::_exit(127);
    }
    ::close(status[1]);
    while (::waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
    }
    int error = 0;
    ssize_t got;
    do {
        got = ::read(status[0], &error, sizeof error);
    } while (got < 0 && errno == EINTR);
    ::close(status[0]);
    return got == 0;
}

} // namespace

LauncherHost DefaultLauncherHost() {
    LauncherHost host;
    host.getenv = [](const char* name) -> std::optional<std::string> {
        const char* value = ::getenv(name);
        return value ? std::optional<std::string>(value) : std::nullopt;
    };
    host.startDetached = StartDetached;
    return host;
}

std::string TemporaryFolder(const LauncherHost& host) {
    std::string folder = Env(host, "TMPDIR").value_or("/tmp/");
    if (folder.back() != '/')
        folder += '/';
    return folder;
}

std::string FindAssociatedProgram(const LauncherHost& host, const fs::path& path) {
    const XdgFolders folders = FoldersOf(host);
    const std::string mimeType = MimeTypeOfName(folders, path.filename().string());
    if (mimeType.empty())
        return {};

    std::vector<fs::path> listFolders = folders.config;
    std::vector<fs::path> applicationFolders;
    for (const fs::path& base : folders.data) {
        listFolders.push_back(base / "applications");
        applicationFolders.push_back(base / "applications");
    }
    // The default applications of every list come before the added associations of any, and both
    // before the cache the installed applications declare.
    std::vector<std::string> ids;
    for (const char* group : {"Default Applications", "Added Associations"})
        for (const fs::path& folder : listFolders)
            AppendListed(folder / "mimeapps.list", group, mimeType, ids);
    for (const fs::path& folder : applicationFolders)
        AppendListed(folder / "mimeinfo.cache", "MIME Cache", mimeType, ids);

    for (const std::string& id : ids) {
        for (const fs::path& folder : applicationFolders) {
            if (const auto desktopFile = DesktopFileIn(folder, id)) {
                // The program is the first word of the Exec line: there is no ".EXE" to cut the path
                // after on this host, and the rest of the line is arguments and field codes (%u, %f).
                return ResolveProgram(host, FirstWord(ExecOf(*desktopFile)));
            }
        }
    }
    return {};
}

LaunchResult OpenWebPage(const LauncherHost& host, const std::string& rawAddress,
                         const std::string& fileType) {
    const std::string address(TrimBlanks(rawAddress));
    const std::string folder = TemporaryFolder(host);
    std::error_code ec;
    if (!fs::is_directory(folder, ec))
        return LaunchResult::NoTemporaryFolder;
    const ScratchFile scratch(fs::path(folder + "temphtm." + fileType));
    const std::string program = FindAssociatedProgram(host, scratch.path());
    // The address is one argument, as the double quotes around it make it one on a Windows command line.
    if (!program.empty() && host.startDetached({program, address}))
        return LaunchResult::Opened;
    if (host.startDetached({"xdg-open", address}))
        return LaunchResult::OpenedByGenericOpener;
    return LaunchResult::NotOpened;
}

} // namespace vx
