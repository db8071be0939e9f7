#include "headless/system.h"

#include "platform/system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <mutex>

namespace headless {
namespace {
std::mutex g_versionMutex;
OSVERSIONINFO g_version = {sizeof(OSVERSIONINFO), 5, 1, 2600, VER_PLATFORM_WIN32_NT, {}};
}  // namespace

void SetOSVersion(DWORD platformId, DWORD major, DWORD minor) {
  std::lock_guard lock(g_versionMutex);
  g_version.dwPlatformId = platformId;
  g_version.dwMajorVersion = major;
  g_version.dwMinorVersion = minor;
}

}  // namespace headless

namespace sys {
namespace {

thread_local std::uint32_t t_lastError = 0;

std::string formatLocal(const char* format) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[64];
  std::strftime(text, sizeof text, format, &local);
  return text;
}

}  // namespace

Version ProductVersion() {
  return {3, 0, 0};
}

std::string ModuleFolder() {
  if (auto dir = Environ("FOLVERRA_MODULE_DIR"); dir && !dir->empty()) return *dir;
  std::error_code ec;
  const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::string(".") : exe.parent_path().string();
}

std::string PathIn(const std::string& folder, const std::string& name) {
  return folder + "/" + name;
}

std::string LocalTimeText() {
  return formatLocal("%Y-%m-%d %H:%M:%S");
}

std::string FileStamp() {
  static std::atomic<unsigned> counter{0};
  return formatLocal("%Y%m%d-%H%M%S") + "-" + std::to_string(::getpid()) + "-" +
         std::to_string(counter++);
}

std::uint32_t GetLastError() {
  return t_lastError;
}
void SetLastError(std::uint32_t code) {
  t_lastError = code;
}

int TwipsPerPixelX() {
  return 15;
}
int TwipsPerPixelY() {
  return 15;
}

bool GetVersionEx(OSVERSIONINFO& info) {
  if (info.dwOSVersionInfoSize != sizeof(OSVERSIONINFO)) {
    SetLastError(122);  // ERROR_INSUFFICIENT_BUFFER
    return false;
  }
  std::lock_guard lock(headless::g_versionMutex);
  info = headless::g_version;
  return true;
}

std::optional<std::string> Environ(const char* name) {
  if (const char* value = std::getenv(name)) return std::string(value);
  return std::nullopt;
}

bool FileExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

std::uint64_t FileSize(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? static_cast<std::uint64_t>(st.st_size) : 0;
}

bool ReplaceFile(const std::string& from, const std::string& to) {
  if (std::rename(from.c_str(), to.c_str()) == 0) return true;
  SetLastError(static_cast<std::uint32_t>(errno));
  return false;
}

bool RemoveFile(const std::string& path) {
  return ::unlink(path.c_str()) == 0;
}

bool CreateFolder(const std::string& path) {
  return ::mkdir(path.c_str(), 0777) == 0 || errno == EEXIST;
}

bool FlushFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool ok = ::fsync(fd) == 0;
  ::close(fd);
  return ok;
}

// Open-file-description locks: owned by this open file, so two threads of one process each
// holding their own FileLock exclude each other, as two processes do.
struct FileLock::Impl {
  int fd = -1;
  bool locked = false;
};

FileLock::FileLock(const std::string& path) : impl_(std::make_unique<Impl>()) {
  impl_->fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (impl_->fd < 0) return;
  struct flock lock {};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  int rc;
  do {
    rc = ::fcntl(impl_->fd, F_OFD_SETLKW, &lock);
  } while (rc != 0 && errno == EINTR);
  impl_->locked = rc == 0;
}

FileLock::~FileLock() {
  if (impl_->fd >= 0) ::close(impl_->fd);  // closing the description releases its lock
}

bool FileLock::locked() const {
  return impl_->locked;
}

}  // namespace sys
