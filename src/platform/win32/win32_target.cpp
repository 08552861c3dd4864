// The machine the program runs on as its target.
#include "platform/win32/win32_target.h"

#include "platform/shell_link_reader.h"
#include "platform/target_lock.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_calls.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_registry.h"

namespace vx {
namespace {

class ThisMachine final : public Target {
  public:
    ThisMachine() : shell_(files_, registry_) {}

    Registry& registry() override { return registry_; }
    FileSystem& files() override { return files_; }
    ShellItems& shell() override { return shell_; }
    std::string Describe() const override {
        return "this computer (" + win32::Narrow(win32::ComputerName()) + ")";
    }
    std::string Identity() const override {
        return "Windows computer " + win32::Narrow(win32::ComputerName());
    }
    // One changing run at a time on this machine, whoever runs it: a named mutex of the session, freed
    // by Windows when the process dies.
    std::unique_ptr<TargetLock> LockForChanges(std::string& why) override {
        bool busy = false;
        uint32_t error = 0;
        auto lock = LockByName("Vantrelix v3.0 changes", busy, error);
        if (!lock)
            why = busy ? "another Vantrelix run is changing this computer; try again when it has finished"
                       : "cannot take the lock of changes (error " + std::to_string(error) + ")";
        return lock;
    }

  private:
    Win32Registry registry_;
    Win32FileSystem files_;
    TargetShellItems shell_;
};

} // namespace

std::unique_ptr<Target> OpenThisMachine() {
    return std::make_unique<ThisMachine>();
}

} // namespace vx
