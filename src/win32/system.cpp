#include "platform/system.h"

#include <atomic>
#include <cstdio>
#include <vector>

#include "win32/module.h"
#include "win32/wide.h"

namespace sys {
namespace {

std::string formatTime(const char* format) {
  SYSTEMTIME t{};
  ::GetLocalTime(&t);
  char text[32];
  std::snprintf(text, sizeof text, format, t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
                t.wSecond);
  return text;
}

int twipsPerPixel(int axis) {
  HDC screen = ::GetDC(nullptr);
  const int dpi = screen ? ::GetDeviceCaps(screen, axis) : 0;
  if (screen) ::ReleaseDC(nullptr, screen);
  return 1440 / (dpi > 0 ? dpi : 96);
}

HANDLE openExisting(const std::string& path, DWORD access) {
  return ::CreateFileW(win32::wide(path).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE,
                       nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

// The resource compiler writes major, minor, 0, revision, as the original run-time did.
Version ProductVersion() {
  const std::wstring path = win32::ModulePath();
  DWORD ignored = 0;
  const DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &ignored);
  if (size == 0) return {};
  std::vector<BYTE> block(size);
  VS_FIXEDFILEINFO* info = nullptr;
  UINT length = 0;
  if (!::GetFileVersionInfoW(path.c_str(), 0, size, block.data()) ||
      !::VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&info), &length) || !info)
    return {};
  return {HIWORD(info->dwFileVersionMS), LOWORD(info->dwFileVersionMS),
          LOWORD(info->dwFileVersionLS)};
}

std::string ModuleFolder() {
  const std::wstring path = win32::ModulePath();
  const auto slash = path.find_last_of(L"\\/");
  return win32::narrow(path.c_str(), slash == std::wstring::npos ? 0 : slash);
}

std::string PathIn(const std::string& folder, const std::string& name) {
  return folder + "\\" + name;
}

std::string LocalTimeText() {
  return formatTime("%04u-%02u-%02u %02u:%02u:%02u");
}

std::string FileStamp() {
  static std::atomic<unsigned> counter{0};
  return formatTime("%04u%02u%02u-%02u%02u%02u") + "-" + std::to_string(::GetCurrentProcessId()) +
         "-" + std::to_string(counter++);
}

std::uint32_t GetLastError() {
  return ::GetLastError();
}
void SetLastError(std::uint32_t code) {
  ::SetLastError(code);
}

int TwipsPerPixelX() {
  return twipsPerPixel(LOGPIXELSX);
}
int TwipsPerPixelY() {
  return twipsPerPixel(LOGPIXELSY);
}

bool GetVersionEx(OSVERSIONINFO& info) {
  info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  return ::GetVersionEx(&info) != FALSE;
#pragma GCC diagnostic pop
}

std::optional<std::string> Environ(const char* name) {
  const std::wstring key = win32::wide(name);
  const DWORD size = ::GetEnvironmentVariableW(key.c_str(), nullptr, 0);
  if (size == 0) return std::nullopt;
  std::wstring value(size, L'\0');
  const DWORD n = ::GetEnvironmentVariableW(key.c_str(), value.data(), size);
  return win32::narrow(value.c_str(), n < size ? n : 0);
}

bool FileExists(const std::string& path) {
  return ::GetFileAttributesW(win32::wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::uint64_t FileSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!::GetFileAttributesExW(win32::wide(path).c_str(), GetFileExInfoStandard, &data)) return 0;
  return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool ReplaceFile(const std::string& from, const std::string& to) {
  return ::MoveFileExW(win32::wide(from).c_str(), win32::wide(to).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

bool RemoveFile(const std::string& path) {
  return ::DeleteFileW(win32::wide(path).c_str()) != FALSE;
}

bool CreateFolder(const std::string& path) {
  return ::CreateDirectoryW(win32::wide(path).c_str(), nullptr) != FALSE ||
         ::GetLastError() == ERROR_ALREADY_EXISTS;
}

bool FlushFile(const std::string& path) {
  HANDLE file = openExisting(path, GENERIC_WRITE);
  if (file == INVALID_HANDLE_VALUE) return false;
  const bool ok = ::FlushFileBuffers(file) != FALSE;
  ::CloseHandle(file);
  return ok;
}

// A lock held through its own handle, so two threads of one process exclude each other as
// two processes do.
struct FileLock::Impl {
  HANDLE file = INVALID_HANDLE_VALUE;
  bool locked = false;
};

FileLock::FileLock(const std::string& path) : impl_(std::make_unique<Impl>()) {
  impl_->file = ::CreateFileW(win32::wide(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (impl_->file == INVALID_HANDLE_VALUE) return;
  OVERLAPPED whole{};
  impl_->locked =
      ::LockFileEx(impl_->file, LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &whole) != FALSE;
}

FileLock::~FileLock() {
  if (impl_->file == INVALID_HANDLE_VALUE) return;
  if (impl_->locked) {
    OVERLAPPED whole{};
    ::UnlockFileEx(impl_->file, 0, MAXDWORD, MAXDWORD, &whole);
  }
  ::CloseHandle(impl_->file);
}

bool FileLock::locked() const {
  return impl_->locked;
}

}  // namespace sys
