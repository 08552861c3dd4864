// The host file system checked against Wine itself: a small Windows program (wine_probe/probe.c) answers a
// table of queries on a Wine-made prefix, and the host file system must give the same answers for the same
// table on the same prefix. Runs when VANTRELIX_WINE_PREFIX names such a prefix and wine and MinGW-w64 are
// installed; it works in a scratch folder of its own in drive_c and removes it again.
#include "platform/wine/wine_drives.h"
#include "support/shell_quoted.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

namespace vx {
namespace {
namespace fs = std::filesystem;

std::optional<fs::path> FindProgram(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::stringstream dirs(path ? path : "");
    for (std::string dir; std::getline(dirs, dir, ':');)
        if (!dir.empty() && access((fs::path(dir) / name).c_str(), X_OK) == 0)
            return fs::path(dir) / name;
    return std::nullopt;
}

std::vector<std::string> Split(const std::string& line, char sep) {
    std::vector<std::string> fields;
    std::stringstream in(line);
    for (std::string field; std::getline(in, field, sep);)
        fields.push_back(field);
    return fields;
}

std::string Hex(uint32_t value) {
    std::ostringstream out;
    out << std::hex << value;
    return out.str();
}

// GetDriveType's numbering, which the probe reports.
int Win32DriveType(DriveType type) {
    switch (type) {
    case DriveType::Removable:
        return 2;
    case DriveType::Fixed:
        return 3;
    case DriveType::Network:
        return 4;
    case DriveType::CdRom:
        return 5;
    case DriveType::RamDisk:
        return 6;
    default:
        return 0;
    }
}

// The host file system's answer to one probe query, in the probe's format (failures without their code).
std::string Answer(HostFileSystem& files, const std::string& op, const std::string& arg) {
    if (op == "list") {
        FindData entry;
        auto search = files.FindFirstFile(arg, entry);
        if (!search)
            return "fail";
        std::string out = "ok";
        do {
            out += "\t" + entry.name + "|" + Hex(entry.attributes);
        } while (search->FindNextFile(entry));
        return out;
    }
    if (op == "attr") {
        const uint32_t a = files.GetFileAttributes(arg);
        return a == INVALID_FILE_ATTRIBUTES ? "fail" : "ok\t" + Hex(a);
    }
    if (op == "size") {
        const auto size = files.GetFileSize(arg);
        return size ? "ok\t" + std::to_string(*size) : "fail";
    }
    if (op == "vol")
        return files.GetVolumeInformation(arg) ? "ok" : "fail";
    if (op == "type") {
        for (const Drive& d : files.Drives())
            if (!arg.empty() && d.letter[0] == arg[0])
                return "ok\t" + std::to_string(Win32DriveType(d.type));
        return "ok\t1"; // DRIVE_NO_ROOT_DIR
    }
    char buffer[256];
    const uint32_t n = op == "sysdir" ? files.GetSystemDirectory(buffer) : files.GetWindowsDirectory(buffer);
    return n ? "ok\t" + std::string(buffer, n) : "fail";
}

std::string WithoutErrorCode(const std::string& answer) {
    return answer.rfind("fail", 0) == 0 ? "fail" : answer;
}

// What a search with an attribute mask answers, from a listing: the first entry the mask admits.
std::string Admit(const std::string& listing, uint32_t mask) {
    if (listing.rfind("fail", 0) == 0) {
        const std::string code = listing.size() > 5 ? listing.substr(5) : "";
        return code == "2" || code == "3" ? "none" : "failed";
    }
    const std::vector<std::string> fields = Split(listing, '\t');
    for (size_t i = 1; i < fields.size(); ++i) {
        const size_t bar = fields[i].rfind('|');
        const auto attributes = static_cast<uint32_t>(std::stoul(fields[i].substr(bar + 1), nullptr, 16));
        if ((attributes & 0x16 & ~mask) == 0)
            return "found\t" + fields[i].substr(0, bar);
    }
    return "none";
}

std::string Admit(const FindResult& r) {
    return r.kind == Lookup::Found ? "found\t" + r.name : r.kind == Lookup::Failed ? "failed" : "none";
}

class WineProbeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* prefixEnv = std::getenv("VANTRELIX_WINE_PREFIX");
        if (!prefixEnv || !*prefixEnv)
            GTEST_SKIP() << "VANTRELIX_WINE_PREFIX is not set";
        wine = FindProgram("wine");
        wineserver = FindProgram("wineserver");
        gcc = FindProgram("x86_64-w64-mingw32-gcc");
        if (!wine || !wineserver || !gcc)
            GTEST_SKIP() << "wine or x86_64-w64-mingw32-gcc is not installed";
        prefix = prefixEnv;
        ASSERT_TRUE(fs::is_directory(prefix / "drive_c")) << prefix << " is not a Wine prefix";
        scratchName = "vx-probe-" + std::to_string(getpid());
        scratch = prefix / "drive_c" / scratchName;
        fs::create_directories(scratch);
        std::string pattern = (fs::temp_directory_path() / "vx-probe-XXXXXX").string();
        work = mkdtemp(pattern.data());
    }
    void TearDown() override {
        std::error_code ec;
        if (!scratch.empty())
            fs::remove_all(scratch, ec);
        if (!work.empty())
            fs::remove_all(work, ec);
    }

    fs::path File(const std::string& rel, const std::string& content = "x") {
        const fs::path p = scratch / rel;
        fs::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary) << content;
        return p;
    }
    void DosAttrib(const std::string& rel, const std::string& value) {
        ASSERT_EQ(setxattr((scratch / rel).c_str(), "user.DOSATTRIB", value.data(), value.size(), 0), 0);
    }
    // Runs a Windows program of the prefix and waits until its Wine server has gone.
    int RunWine(const std::string& args, const std::string& redirects = "") {
        const std::string env = "WINEPREFIX=" + test::ShellQuoted(prefix.string()) + " WINEDEBUG=-all ";
        const int rc =
            std::system((env + test::ShellQuoted(wine->string()) + " " + args + " " + redirects).c_str());
        std::system((env + test::ShellQuoted(wineserver->string()) + " -w").c_str());
        return rc;
    }

    std::optional<fs::path> wine, wineserver, gcc;
    fs::path prefix, scratch, work;
    std::string scratchName;
};

TEST_F(WineProbeTest, HostFileSystemAnswersAsWineDoes) {
    File("plain.txt", "hello");
    File("UPPER.TXT");
    File("file.txt");
    File("file1.txt");
    File("README");
    File("_under");
    File("Ärger.txt");
    File(".dotted");
    File("hidden.dll");
    DosAttrib("hidden.dll", "0x2");
    File("system.dll");
    DosAttrib("system.dll", "0x4");
    File("both.dll");
    DosAttrib("both.dll", "0x6");
    File("archived.dll");
    DosAttrib("archived.dll", "0x22");
    File("viaattrib.txt");
    File("readonly.dll");
    fs::permissions(scratch / "readonly.dll",
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    File("Sub/inner.lnk");
    File(".hiddendir/x");
    File("HiddenDir/x");
    DosAttrib("HiddenDir", "0x2");
    File("Programme/Über/x.dll");
    File("Links/target/x");
    fs::create_symlink(scratch / "Links/target", scratch / "Links/linked");

    // Wine's own way of hiding a file, to read back what it wrote.
    ASSERT_EQ(RunWine("attrib +h " + test::ShellQuoted("C:\\" + scratchName + "\\viaattrib.txt")), 0);

    const std::string S = "C:\\" + scratchName;
    struct Query {
        std::string op, arg;
        // Deliberate differences: the answer expected of the host file system instead of Wine's, and why.
        std::string ours = {};
        std::string why = {};
    };
    const std::vector<Query> queries = {
        {"sysdir", ""},
        {"windir", ""},
        {"list", S + "\\*"},
        {"list", S + "\\*.*"},
        {"list", S + "\\*.TXT"},
        {"list", S + "\\*.dll"},
        {"list", S + "\\?ub"},
        {"list", S + "\\plain.txt"},
        {"list", S + "\\PLAIN.TXT  "},
        {"list", S + "\\plain.txt.."},
        {"list", S + "\\sub\\..\\plain.txt"},
        {"list", "c:/" + scratchName + "/Sub/*"},
        {"list", S + "\\SUB"},
        {"list", S + "\\Sub\\"},
        {"list", S + "\\programme\\über\\*"},
        {"list", S + "\\PROGRAMME\\ÜBER\\X.DLL"},
        {"list", S + "\\Missing\\*"},
        {"list", S + "\\missing.txt"},
        {"list", S + "\\Su?\\*"},
        {"list", "Q:\\*"},
        {"list", S + "\\*.",
         "ok\t.|10\t..|10\tHiddenDir|12\tLinks|10\tProgramme|10\tREADME|20\tSub|10\t_under|20",
         "Windows' search: \"*.\" matches only names without a dot; Wine matches every name"},
        {"list", S + "\\file?.txt", "ok\tfile.txt|20\tfile1.txt|20",
         "Windows' search: \"?\" before a dot may match nothing; Wine's always takes one character"},
        {"list", S + "\\Links\\*", "ok\t.|10\t..|10\tlinked|20\ttarget|10",
         "walks never follow a link to a folder; Wine shows it as a folder"},
        {"attr", S + "\\Links\\linked", "ok\t20", "walks never follow a link to a folder"},
        {"attr", "C:\\"},
        {"attr", S},
        {"attr", S + "\\"},
        {"attr", S + "\\plain.txt"},
        {"attr", S + "\\plain.txt\\"},
        {"attr", S + "\\viaattrib.txt"},
        {"attr", S + "\\hidden.dll"},
        {"attr", S + "\\system.dll"},
        {"attr", S + "\\both.dll"},
        {"attr", S + "\\archived.dll"},
        {"attr", S + "\\readonly.dll"},
        {"attr", S + "\\.dotted"},
        {"attr", S + "\\.hiddendir"},
        {"attr", S + "\\hiddendir"},
        {"attr", S + "\\PROGRAMME\\über\\x.DLL"},
        {"attr", S + "\\missing.txt"},
        {"attr", "C:\\windows\\SYSTEM32\\KERNEL32.DLL"},
        {"size", S + "\\Plain.Txt"},
        {"vol", "C:\\"},
        {"vol", "Q:\\"},
        {"type", "C:\\"},
        {"type", "Z:\\", "ok\t4",
         "a share of the host is a network drive, so the shortcut scan never walks it"},
    };
    // Searches with an attribute mask, judged on Wine's listing by the same admission rule.
    const std::vector<std::string> masked = {
        S + "\\plain.txt",
        S + "\\hidden.dll",
        S + "\\system.dll",
        S + "\\both.dll",
        S + "\\archived.dll",
        S + "\\viaattrib.txt",
        S + "\\readonly.dll",
        S + "\\.dotted",
        S + "\\Sub",
        S + "\\hiddendir",
        S + "\\*.dll",
        S + "\\h*",
        S + "\\*",
        S + "\\Missing\\x.dll",
        S + "\\PROGRAMME\\ÜBER\\X.DLL",
    };
    struct MaskedDifference {
        std::string pattern, ours, why;
    };
    const std::vector<MaskedDifference> maskedDifferences = {
        {"Q:\\x.dll", "failed",
         "a missing drive cannot be searched (Wine: path not found); a failure counts as existing"},
        {S + "\\a<b.dll", "failed", "a malformed name cannot be searched (Wine takes \"<\" as a wildcard)"},
    };
    const std::vector<uint32_t> masks = {0, 2, 32, 1, 4, 6, 0x10};

    std::ofstream queryFile(work / "queries.txt", std::ios::binary);
    for (const Query& q : queries)
        queryFile << q.op << (q.arg.empty() ? "" : "\t" + q.arg) << "\n";
    for (const std::string& p : masked)
        queryFile << "list\t" << p << "\n";
    for (const MaskedDifference& d : maskedDifferences)
        queryFile << "list\t" << d.pattern << "\n";
    queryFile.close();

    const fs::path exe = work / "probe.exe";
    const fs::path source = fs::path(VANTRELIX_SOURCE_DIR) / "tests/platform/wine_probe/probe.c";
    ASSERT_EQ(std::system((test::ShellQuoted(gcc->string()) + " -O1 -o " + test::ShellQuoted(exe.string()) +
                           " " + test::ShellQuoted(source.string()))
                              .c_str()),
              0);
    ASSERT_EQ(RunWine(test::ShellQuoted(exe.string()),
                      "<" + test::ShellQuoted((work / "queries.txt").string()) + " >" +
                          test::ShellQuoted((work / "answers.txt").string()) + " 2>/dev/null"),
              0);
    std::vector<std::string> answers;
    std::ifstream answerFile(work / "answers.txt", std::ios::binary);
    for (std::string line; std::getline(answerFile, line);)
        answers.push_back(line);
    ASSERT_EQ(answers.size(), queries.size() + masked.size() + maskedDifferences.size());

    HostFileSystem files(WinePrefixFileSystemConfig(prefix, {}, "C:\\windows"));
    size_t i = 0;
    for (const Query& q : queries) {
        const std::string& wineAnswer = answers[i++];
        const std::string ours = Answer(files, q.op, q.arg);
        if (q.why.empty()) {
            EXPECT_EQ(ours, WithoutErrorCode(wineAnswer)) << q.op << " " << q.arg;
        } else {
            EXPECT_EQ(ours, q.ours) << q.op << " " << q.arg << " (" << q.why << ")";
            EXPECT_NE(WithoutErrorCode(wineAnswer), q.ours)
                << q.op << " " << q.arg << ": no longer differs from Wine";
        }
    }
    for (const std::string& pattern : masked) {
        const std::string& listing = answers[i++];
        for (uint32_t mask : masks)
            EXPECT_EQ(Admit(files.FindFirstEntry(pattern, mask)), Admit(listing, mask))
                << pattern << " mask " << mask;
    }
    for (const MaskedDifference& d : maskedDifferences) {
        const std::string& listing = answers[i++];
        EXPECT_EQ(Admit(files.FindFirstEntry(d.pattern, 0)), d.ours) << d.pattern << " (" << d.why << ")";
        EXPECT_NE(Admit(listing, 0), d.ours) << d.pattern << ": no longer differs from Wine";
    }
}

} // namespace
} // namespace vx
