#include "support/run_cli.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <sys/wait.h>
#include <unistd.h>

namespace vx::test {
namespace {

std::string Slurp(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace

CliResult RunCli(const std::vector<std::string>& args, const std::filesystem::path& home,
                 const std::map<std::string, std::string>& env, const std::string& input) {
    std::filesystem::create_directories(home);
    const auto outPath = home / "stdout.txt";
    const auto errPath = home / "stderr.txt";
    const auto inPath = home / "stdin.txt";
    std::ofstream(inPath, std::ios::binary) << input;
    const pid_t pid = fork();
    if (pid == 0) {
        const int in = open(inPath.c_str(), O_RDONLY);
        const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(in, 0);
        dup2(out, 1);
        dup2(err, 2);
        setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
        setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
        for (const auto& [name, value] : env)
            setenv(name.c_str(), value.c_str(), 1);
        std::vector<char*> argv;
        std::string program = VANTRELIX_CLI;
        argv.push_back(program.data());
        std::vector<std::string> copies = args;
        for (auto& arg : copies)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    CliResult result;
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    result.out = Slurp(outPath);
    result.err = Slurp(errPath);
    return result;
}

} // namespace vx::test
