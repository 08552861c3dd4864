// Where the program keeps its own files when the environment does not say.
#include "platform/host_folders.h"
#include "ui/scoped_env.h"

#include <gtest/gtest.h>

#include <optional>
#include <pwd.h>
#include <string>
#include <unistd.h>

namespace vx {
namespace {

using test::ScopedEnv;

// Without a usable HOME (cron, a service, `env -i`) the account's home from the password database is used,
// never a folder other users share.
TEST(HostFolders, WithoutHomeTheAccountsHomeFolderIsUsed) {
    const passwd* account = getpwuid(geteuid());
    ASSERT_NE(account, nullptr);
    const std::filesystem::path expected =
        std::filesystem::path(account->pw_dir) / ".config" / "vantrelix" / "settings.ini";
    const ScopedEnv noConfig("XDG_CONFIG_HOME", std::nullopt);
    for (const std::optional<std::string> home :
         {std::optional<std::string>(), std::optional<std::string>(""),
          std::optional<std::string>("relative/home")}) {
        const ScopedEnv setHome("HOME", home);
        EXPECT_EQ(DefaultSettingsFile(), expected) << (home ? "HOME=" + *home : "no HOME");
    }
    const ScopedEnv setHome("HOME", "/home/ann");
    EXPECT_EQ(DefaultSettingsFile(), "/home/ann/.config/vantrelix/settings.ini");
}

} // namespace
} // namespace vx
