#include "standin.h"

#include <httplib.h>
#include <pugixml.hpp>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <map>
#include <mutex>
#include <random>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "content.h"

namespace standin {
namespace {

constexpr const char* kHtml = "text/html; charset=utf-8";
constexpr const char* kXml = "text/xml; charset=utf-8";
// Bigger bodies are cut off by the transport (413) before they are read at all.
constexpr std::size_t kMaxPayload = 2 * kMaxClipBytes;

struct ClipPage {
  const char* path;
  const char* param;
  const char* title;
};

constexpr ClipPage kClipPages[] = {
    {"/edit_clip.aspx", "clip_guid", "Edit clip"},
    {"/email_folverra.aspx", "folverra", "Email clip"},
    {"/blog_this.aspx", "c", "Blog this clip"},
    {"/print_clips_direct.aspx", "c", "Print clip"},
};

struct MenuPage {
  const char* path;
  const char* title;
  const char* text;
};

constexpr MenuPage kMenuPages[] = {
    {"/", "Folverra", "Clip the web, keep what matters."},
    {"/popular/", "Popular clips", "The clips people shared most this week."},
    {"/folverra/", "My Folverra", "Your clips, newest first."},
    {"/faq/", "Frequently asked questions", "How clipping, sharing and limits work."},
    {"/how-to-clip/", "How to clip", "Press Clip, point at what you want, click to add it."},
    {"/publishing-limit/", "Publishing limit", "A shared clip holds up to 1000 characters."},
    {"/overlimit_image.htm", "Over the limit",
     "A clip you share by e-mail, print or save holds up to 1000 characters of text, and this "
     "one has more. Save it privately to keep all of it, or press Edit Clip and take some out."},
    {"/overlimit_image_blog.htm", "Over the blog limit",
     "A clip posted to a blog holds up to 1000 characters of text, and this one has more. Press "
     "Edit Clip, take some of it out and post it again."},
};

std::string readFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Written beside its final name and renamed, so a reader never sees half a clip.
void writeFile(const std::filesystem::path& file, const std::string& bytes) {
  std::filesystem::path temporary = file;
  temporary += ".part";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) throw std::runtime_error("cannot write " + temporary.string());
  }
  std::filesystem::rename(temporary, file);
}

// pugixml skips what lies beside the root; read as a fragment, it shows, and is refused.
bool wellFormed(const std::string& body) {
  pugi::xml_document doc;
  if (!doc.load_buffer(body.data(), body.size(), pugi::parse_default | pugi::parse_fragment))
    return false;
  int roots = 0;
  for (pugi::xml_node n : doc.children()) {
    if (n.type() == pugi::node_element) ++roots;
    if (n.type() == pugi::node_pcdata || n.type() == pugi::node_cdata) return false;
  }
  return roots == 1;
}

std::string sourceOf(const pugi::xml_node& frame) {
  const pugi::xml_node s = frame.child("source");
  const std::string host = s.child_value("host");
  return std::string(s.child_value("protocol")) + "//" + host + s.child_value("path") +
         s.child_value("page") + s.child_value("query");
}

// The clip's frames as a list a person can read; all of it escaped, since it is the page's text.
std::string framesOf(const std::string& clip) {
  pugi::xml_document doc;
  if (!doc.load_buffer(clip.data(), clip.size())) return {};
  std::string list;
  for (const pugi::xml_node frame : doc.document_element().children("frame")) {
    std::string what;
    if (const pugi::xml_node image = frame.child("image"))
      what = "picture " + std::string(image.child_value("src"));
    else if (const pugi::xml_node embed = frame.child("embed"))
      what = "video " + std::string(embed.attribute("src").value());
    else
      what = content::wordsOf(frame.child("content").text().get());
    const std::string source = sourceOf(frame);
    list += "<li>" + (source == "//" ? "" : "<cite>" + content::escapeHtml(source) + "</cite> ") +
            content::escapeHtml(what) + "</li>\n";
  }
  return list.empty() ? list : "<ol id=\"frames\">\n" + list + "</ol>\n";
}

void answerPage(httplib::Response& res, int status, std::string_view title, std::string_view body) {
  res.status = status;
  res.set_content(content::page(title, body), kHtml);
}

}  // namespace

bool isClipId(std::string_view id) {
  constexpr std::size_t kDashes[] = {8, 13, 18, 23};
  if (id.size() != 36) return false;
  for (std::size_t i = 0; i < id.size(); ++i) {
    const bool dash = std::find(std::begin(kDashes), std::end(kDashes), i) != std::end(kDashes);
    if (dash ? id[i] != '-' : !std::isxdigit(static_cast<unsigned char>(id[i]))) return false;
  }
  return true;
}

struct Server::Impl {
  std::filesystem::path store;
  httplib::Server http;
  std::thread listener;
  std::atomic<bool> listenerDone{false};
  int port = 0;
  std::mutex idMutex;
  std::mt19937_64 random{std::random_device{}()};
  std::map<std::string, httplib::Server::Handler> posts;
  std::atomic<SaveAnswer> saveAnswer{SaveAnswer::Stored};

  std::string freshId() {
    std::lock_guard lock(idMutex);
    const std::uint64_t high = random();
    const std::uint64_t low = random();
    char text[37];
    std::snprintf(text, sizeof text, "%08X-%04X-4%03X-%04X-%012llX",
                  static_cast<unsigned>(high >> 32), static_cast<unsigned>((high >> 16) & 0xFFFF),
                  static_cast<unsigned>(high & 0xFFF),
                  static_cast<unsigned>(0x8000 | ((low >> 48) & 0x3FFF)),
                  static_cast<unsigned long long>(low & 0xFFFFFFFFFFFFull));
    return text;
  }

  std::filesystem::path fileOf(std::string_view id) const {
    if (!isClipId(id)) return {};
    std::string name(id);
    for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return store / (name + ".xml");
  }

  void save(const httplib::Request& req, httplib::Response& res) {
    switch (saveAnswer.load()) {
      case SaveAnswer::ServerError:
        // An XML answer with text at its root, so only its status tells it is no identifier.
        res.status = 500;
        return res.set_content("<error>The clip could not be saved.</error>", kXml);
      case SaveAnswer::NoRoot:
        return res.set_content("", kXml);
      case SaveAnswer::Stored:
        break;
    }
    if (req.body.empty() || req.body.size() > kMaxClipBytes || !wellFormed(req.body))
      return answerPage(res, 400, "Not a clip", "<p>The clip document is not well-formed XML.</p>");
    std::string id;
    do id = freshId();
    while (std::filesystem::exists(fileOf(id)));
    writeFile(fileOf(id), req.body);
    res.set_content("<clip>" + id + "</clip>", kXml);
  }

  void showClip(const ClipPage& page, const httplib::Request& req, httplib::Response& res) {
    const std::string id = req.get_param_value(page.param);
    if (!isClipId(id))
      return answerPage(
          res, 400, "Not a clip identifier",
          "<p>&quot;" + content::escapeHtml(id) + "&quot; is not a clip identifier.</p>");
    const std::filesystem::path file = fileOf(id);
    if (!std::filesystem::is_regular_file(file))
      return answerPage(res, 404, "No such clip",
                        "<p>There is no clip " + content::escapeHtml(id) + ".</p>");
    const std::string clip = readFile(file);
    answerPage(res, 200, page.title,
               "<p id=\"clip\">Clip " + content::escapeHtml(id) + "</p>\n" + framesOf(clip) +
                   "<pre>" + content::escapeHtml(clip) + "</pre>");
  }

  void routes() {
    posts["/feed_supported_video.aspx"] = [](const httplib::Request&, httplib::Response& res) {
      res.set_content(content::supportedVideoList(), kXml);
    };
    posts["/clip_mozilla_save.aspx"] = [this](const httplib::Request& req, httplib::Response& res) {
      save(req, res);
    };
    for (const auto& [path, handler] : posts) http.Post(path, handler);
    for (const ClipPage& page : kClipPages) {
      http.Get(page.path, [this, &page](const httplib::Request& req, httplib::Response& res) {
        showClip(page, req, res);
      });
    }
    for (const MenuPage& page : kMenuPages) {
      http.Get(page.path, [&page](const httplib::Request&, httplib::Response& res) {
        answerPage(res, 200, page.title, std::string("<p>") + page.text + "</p>");
      });
    }
    http.Get("/login.aspx", [](const httplib::Request& req, httplib::Response& res) {
      answerPage(res, 200, "Sign in",
                 "<p>Sign in, then go back to <span id=\"return\">" +
                     content::escapeHtml(req.get_param_value("url")) + "</span>.</p>");
    });
    for (const content::Picture& picture : content::pictures()) {
      http.Get(std::string(picture.path),
               [&picture](const httplib::Request&, httplib::Response& res) {
                 res.set_content(picture.bytes, "image/gif");
               });
    }
  }

  // A request with neither a length nor chunks has no body. The transport would read on until
  // the client closes, and answer 400 once its read times out; these are answered at once.
  httplib::Server::HandlerResponse withoutBody(const httplib::Request& req,
                                               httplib::Response& res) {
    if (req.method == "GET" || req.method == "HEAD" || req.has_header("Content-Length") ||
        req.has_header("Transfer-Encoding"))
      return httplib::Server::HandlerResponse::Unhandled;
    const auto route = req.method == "POST" ? posts.find(req.path) : posts.end();
    if (route == posts.end())
      res.status = 404;
    else
      route->second(req, res);
    return httplib::Server::HandlerResponse::Handled;
  }

  void guards() {
    http.set_payload_max_length(kMaxPayload);
    http.set_pre_routing_handler([this](const httplib::Request& req, httplib::Response& res) {
      return withoutBody(req, res);
    });
    http.set_error_handler([](const httplib::Request&, httplib::Response& res) {
      if (res.body.empty()) answerPage(res, res.status, "Not found", "<p>Nothing here.</p>");
    });
    http.set_exception_handler(
        [](const httplib::Request&, httplib::Response& res, std::exception_ptr) {
          answerPage(res, 500, "Server error", "<p>The stand-in could not answer.</p>");
        });
  }
};

Server::Server(std::filesystem::path store) : impl_(std::make_unique<Impl>()) {
  std::filesystem::create_directories(store);
  impl_->store = std::move(store);
  impl_->routes();
  impl_->guards();
}

Server::~Server() {
  stop();
}

void Server::start(int port) {
  if (impl_->listener.joinable()) return;
  Impl& s = *impl_;
  const bool bound = port == 0 ? (s.port = s.http.bind_to_any_port("127.0.0.1")) > 0
                               : s.http.bind_to_port("127.0.0.1", port);
  if (!bound) throw std::runtime_error("cannot listen on 127.0.0.1:" + std::to_string(port));
  if (port) s.port = port;
  s.listenerDone = false;
  s.listener = std::thread([&s] {
    s.http.listen_after_bind();
    s.listenerDone = true;
  });
  // stop() does nothing until the server runs, so start() returns only once it does.
  while (!s.http.is_running() && !s.listenerDone) std::this_thread::yield();
}

void Server::stop() {
  if (!impl_->listener.joinable()) return;
  impl_->http.stop();
  impl_->listener.join();
}

int Server::port() const {
  return impl_->port;
}

std::string Server::host() const {
  return "127.0.0.1:" + std::to_string(impl_->port);
}

std::string Server::url() const {
  return "http://" + host();
}

const std::filesystem::path& Server::store() const {
  return impl_->store;
}

void Server::answerSaves(SaveAnswer answer) {
  impl_->saveAnswer = answer;
}

std::filesystem::path Server::clipFile(std::string_view id) const {
  return impl_->fileOf(id);
}

}  // namespace standin
