// The system port: version, module folder, time, last system error, screen metrics, the
// operating-system version, and the few file operations the error log needs.
// A platform implements all of it. Nothing here raises: as the Win32 calls they stand for, the
// file operations and GetVersionEx answer false on failure, and FileLock::locked tells whether
// the lock was taken.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/wintypes.h"

namespace sys {

struct Version {
  int major = 0;
  int minor = 0;
  int revision = 0;
};
// The module's version resource.
Version ProductVersion();

// The folder of the system's own module file, without a trailing separator.
std::string ModuleFolder();
// folder + separator + name.
std::string PathIn(const std::string& folder, const std::string& name);

// Local date and time, "YYYY-MM-DD hh:mm:ss".
std::string LocalTimeText();
// A compact stamp for file names, "YYYYMMDD-hhmmss-<unique>".
std::string FileStamp();

std::uint32_t GetLastError();
void SetLastError(std::uint32_t code);

int TwipsPerPixelX();
int TwipsPerPixelY();

// GetVersionEx; false when the call fails.
bool GetVersionEx(OSVERSIONINFO& info);

std::optional<std::string> Environ(const char* name);

// Files, by UTF-8 path.
bool FileExists(const std::string& path);
std::uint64_t FileSize(const std::string& path);
// Renames from over to, replacing it atomically where the platform allows.
bool ReplaceFile(const std::string& from, const std::string& to);
bool RemoveFile(const std::string& path);
// MkDir of one folder; true when it exists afterwards.
bool CreateFolder(const std::string& path);
// Makes sure written data of path has reached the disk.
bool FlushFile(const std::string& path);

// An exclusive lock on a lock file, held across processes until destroyed. The lock file
// itself is created if needed and never removed, so every process locks the same file.
class FileLock {
 public:
  explicit FileLock(const std::string& path);
  ~FileLock();
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;
  bool locked() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace sys
