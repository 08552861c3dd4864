#pragma once
// Wine prefixes for the registry tests: registry files written to a temporary folder as text, so that
// each test shows the exact file content it is about.
#include "platform/utf16.h"
#include "platform/wine/wine_registry.h"
#include "support/fixture_prefix.h"

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace vx::test {

inline std::string MachineFile(std::string_view body) {
    return "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\Machine\n\n#arch=win64\n\n" +
           std::string(body);
}
inline std::string UserFile(std::string_view body, std::string_view sid = "S-1-5-21-1-2-3-1001") {
    return "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\User\\\\" + std::string(sid) +
           "\n\n#arch=win64\n\n" + std::string(body);
}

// A name given by its UTF-16 units, as the program holds names.
inline std::string Wtf8(std::u16string_view units) {
    return Utf16ToWtf8(std::string_view(reinterpret_cast<const char*>(units.data()), units.size() * 2));
}

inline std::string ReadAll(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteAll(const std::filesystem::path& file, std::string_view text) {
    std::ofstream(file, std::ios::binary) << text;
}

class RegistryPrefix {
  public:
    RegistryPrefix& System(std::string_view body) { return Put("system.reg", MachineFile(body)); }
    RegistryPrefix& User(std::string_view body) { return Put("user.reg", UserFile(body)); }
    RegistryPrefix& Put(std::string_view file, std::string_view text) {
        WriteAll(dir_.path() / file, text);
        return *this;
    }
    std::unique_ptr<WineRegistry> Open() {
        std::string error;
        warnings.clear();
        auto registry = OpenWineRegistry(dir_.path(), error, warnings);
        EXPECT_TRUE(registry) << error;
        return registry;
    }
    std::filesystem::path operator/(std::string_view file) const { return dir_.path() / file; }
    const std::filesystem::path& path() const { return dir_.path(); }

    std::vector<std::string> warnings;

  private:
    TempDir dir_;
};

// Enumeration through the Registry calls, with generous buffers.
inline std::vector<std::string> SubkeysOf(Registry& registry, HKEY root, std::string_view path) {
    std::vector<std::string> names;
    HKEY key = 0;
    if (registry.RegOpenKeyEx(root, path, KEY_READ, key) != ERROR_SUCCESS)
        return {"<cannot open>"};
    std::string name;
    for (uint32_t i = 0;; ++i) {
        uint32_t size = 1024;
        if (registry.RegEnumKeyEx(key, i, name, size) != ERROR_SUCCESS)
            break;
        names.push_back(name);
    }
    registry.RegCloseKey(key);
    return names;
}

inline std::vector<std::string> ValuesOf(Registry& registry, HKEY root, std::string_view path) {
    std::vector<std::string> names;
    HKEY key = 0;
    if (registry.RegOpenKeyEx(root, path, KEY_READ, key) != ERROR_SUCCESS)
        return {"<cannot open>"};
    std::string name;
    for (uint32_t i = 0;; ++i) {
        uint32_t size = 16384;
        if (registry.RegEnumValue(key, i, name, size, nullptr, {}, nullptr) != ERROR_SUCCESS)
            break;
        names.push_back(name);
    }
    registry.RegCloseKey(key);
    return names;
}

struct Data {
    Status status = ERROR_SUCCESS;
    uint32_t type = 0;
    std::string bytes; // as the A call delivers them
};

inline Data QueryData(Registry& registry, HKEY root, std::string_view path, std::string_view name) {
    Data data;
    HKEY key = 0;
    if ((data.status = registry.RegOpenKeyEx(root, path, KEY_READ, key)) != ERROR_SUCCESS)
        return data;
    uint32_t size = 0;
    data.status = registry.RegQueryValueEx(key, name, &data.type, {}, &size);
    if (data.status == ERROR_SUCCESS) {
        data.bytes.assign(size, '\0');
        data.status = registry.RegQueryValueEx(
            key, name, &data.type, {reinterpret_cast<uint8_t*>(data.bytes.data()), data.bytes.size()}, &size);
    }
    registry.RegCloseKey(key);
    return data;
}

// Runs vantrelix-cli (or another program given as the first argument) without a shell and collects its
// exit status and both output streams.
struct ProgramRun {
    int status = -1;
    std::string out, err;
};

inline ProgramRun RunProgram(const std::vector<std::string>& argv) {
    TempDir outputs;
    const std::filesystem::path outFile = outputs.path() / "out", errFile = outputs.path() / "err";
    const pid_t child = ::fork();
    if (child == 0) {
        const int out = ::open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(out, 1);
        ::dup2(err, 2);
        std::vector<char*> args;
        for (const auto& arg : argv)
            args.push_back(const_cast<char*>(arg.c_str()));
        args.push_back(nullptr);
        ::execvp(args[0], args.data());
        ::_exit(127);
    }
    ProgramRun run;
    int status = 0;
    if (child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status))
        run.status = WEXITSTATUS(status);
    run.out = ReadAll(outFile);
    run.err = ReadAll(errFile);
    return run;
}

inline ProgramRun RunReg(const std::filesystem::path& prefix, std::vector<std::string> args) {
    std::vector<std::string> argv{VANTRELIX_CLI, "--prefix", prefix.string(), "reg"};
    argv.insert(argv.end(), args.begin(), args.end());
    return RunProgram(argv);
}

} // namespace vx::test
