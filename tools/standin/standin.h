// A loopback stand-in of the Folverra web service: the supported-video list, the clip save
// (each clip kept as a file in the store folder under a fresh identifier) and the pages the
// toolbar opens, which show the stored clip. It listens on 127.0.0.1 only.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace standin {

// Posts larger than this are refused with 400 and nothing is stored.
inline constexpr std::size_t kMaxClipBytes = 8 * 1024 * 1024;

// The identifiers the stand-in hands out: 8-4-4-4-12 hexadecimal digits, nothing else, so a
// query value can never name a path outside the store.
bool isClipId(std::string_view id);

// How clip saves are answered: stored with an identifier, or refused the ways a real service
// fails (a server error, a success answer without an XML root). Refused saves keep nothing.
enum class SaveAnswer { Stored, ServerError, NoRoot };

class Server {
 public:
  // The store folder is created when missing.
  explicit Server(std::filesystem::path store);
  ~Server();
  Server(const Server&) = delete;
  Server& operator=(const Server&) = delete;

  // Listens on 127.0.0.1:port (0 picks a free one) on a thread of its own; throws
  // std::runtime_error when the port cannot be bound.
  void start(int port = 0);
  void stop();
  int port() const;
  // "127.0.0.1:PORT"
  std::string host() const;
  // "http://127.0.0.1:PORT"
  std::string url() const;
  const std::filesystem::path& store() const;
  // Safe while the server runs; the next save is answered this way.
  void answerSaves(SaveAnswer answer);
  // The file a clip is kept in (it need not exist); empty for what is not an identifier.
  std::filesystem::path clipFile(std::string_view id) const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace standin
