#pragma once
// Every change the program makes to files of its own or of a target's (a create, a write, a sync, a
// rename, a link, a removal, a cut, a new folder) goes through these calls, so that a test can make the
// Nth one fail as a full disk or a failing device would, and prove that nothing is lost. They behave as
// the POSIX calls they are named after: -1 (or a short count) with errno set on failure.
#include <cstddef>
#include <cstdint>
#include <sys/types.h>

namespace vx::file_ops {

int Open(const char* path, int flags, mode_t mode = 0); // only when `flags` may create or write
int MakeTemporary(char* pattern, int flags);            // mkostemp
ssize_t Write(int fd, const void* data, size_t size);
int Sync(int fd);
int Truncate(int fd, off_t size);
int Rename(const char* from, const char* to);
int Link(const char* from, const char* to);
int Unlink(const char* path);
int MakeFolder(const char* path, mode_t mode);

// For tests: the `n`th call from now (1-based) fails with `error`, and so does every call after it when
// `sticky` (a disk that stays full); n == 0 makes none fail. The calls made since the last Arm.
void Arm(uint64_t n, int error, bool sticky = false);
uint64_t CallsSinceArm();
bool Fired();

} // namespace vx::file_ops
