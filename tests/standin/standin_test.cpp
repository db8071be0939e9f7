#include <arpa/inet.h>
#include <httplib.h>
#include <netinet/in.h>
#include <pugixml.hpp>
#include <sys/socket.h>

#include <cctype>
#include <cstdint>
#include <fstream>

#include "standin/content.h"
#include "standin_fixture.h"

namespace {

using testing_support::StandinTest;

std::string titleOf(const std::string& html) {
  const auto open = html.find("<title>");
  const auto close = html.find("</title>");
  if (open == std::string::npos || close == std::string::npos) return {};
  return html.substr(open + 7, close - open - 7);
}

// Writes bytes on a fresh connection and reads until the server closes it (or ten seconds
// pass); with halfClose the client says at once that it sends nothing more.
std::string exchangeRaw(int port, const std::string& bytes, bool halfClose) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  EXPECT_GE(fd, 0);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(static_cast<std::uint16_t>(port));
  to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  const timeval limit{10, 0};
  ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
  EXPECT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to), 0);
  ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
  if (halfClose) ::shutdown(fd, SHUT_WR);
  std::string answer;
  char buffer[4096];
  for (ssize_t n; (n = ::recv(fd, buffer, sizeof buffer, 0)) > 0;) answer.append(buffer, n);
  ::close(fd);
  return answer;
}

// An LZW decoder written from the GIF format, independent of how the pictures were encoded:
// the number of pixels it yields.
std::size_t decodedPixels(const std::string& data, int minCodeSize) {
  const unsigned clear = 1u << minCodeSize, end = clear + 1;
  std::vector<std::size_t> lengths(clear, 1);  // entry lengths are all the count needs
  unsigned width = minCodeSize + 1, previous = ~0u;
  std::size_t pixels = 0, bit = 0;
  while (bit + width <= data.size() * 8) {
    unsigned code = 0;
    for (unsigned i = 0; i < width; ++i, ++bit)
      code |= ((static_cast<unsigned char>(data[bit / 8]) >> (bit % 8)) & 1u) << i;
    if (code == clear) {
      lengths.resize(clear + 2);
      width = minCodeSize + 1;
      previous = ~0u;
      continue;
    }
    if (code == end) return pixels;
    if (code > lengths.size() || (code == lengths.size() && previous == ~0u)) return 0;
    const std::size_t length = code < lengths.size() ? lengths[code] : lengths[previous] + 1;
    if (previous != ~0u) lengths.push_back(lengths[previous] + 1);
    if (lengths.size() == (1u << width) && width < 12) ++width;
    pixels += length;
    previous = code;
  }
  return 0;  // no end code
}

int word(const std::string& bytes, std::size_t at) {
  return static_cast<unsigned char>(bytes[at]) | static_cast<unsigned char>(bytes[at + 1]) << 8;
}

}  // namespace

TEST_F(StandinTest, AnswersEveryRouteWithItsKindOfContent) {
  struct Case {
    const char* method;
    const char* path;
    int status;
    const char* type;
    const char* title;  // for HTML
  };
  const Case cases[] = {
      {"POST", "/feed_supported_video.aspx", 200, "text/xml", nullptr},
      {"GET", "/", 200, "text/html", "Folverra"},
      {"GET", "/popular/", 200, "text/html", "Popular clips"},
      {"GET", "/folverra/", 200, "text/html", "My Folverra"},
      {"GET", "/faq/", 200, "text/html", "Frequently asked questions"},
      {"GET", "/how-to-clip/", 200, "text/html", "How to clip"},
      {"GET", "/publishing-limit/", 200, "text/html", "Publishing limit"},
      {"GET", "/overlimit_image.htm", 200, "text/html", "Over the limit"},
      {"GET", "/overlimit_image_blog.htm", 200, "text/html", "Over the blog limit"},
      {"GET", "/login.aspx?url=http%3A%2F%2Fpage.example.test%2F", 200, "text/html", "Sign in"},
      {"GET", "/images/clipped.gif", 200, "image/gif", nullptr},
      {"GET", "/images/selection-left.gif", 200, "image/gif", nullptr},
      {"GET", "/images/selection-right.gif", 200, "image/gif", nullptr},
      {"GET", "/feed_supported_video.aspx", 404, "text/html", "Not found"},
      {"POST", "/faq/", 404, "text/html", "Not found"},
      {"GET", "/images/../standin.h", 404, "text/html", "Not found"},
      {"GET", "/no/such/page", 404, "text/html", "Not found"},
  };
  httplib::Client client("127.0.0.1", server_.port());
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.method) + " " + c.path);
    auto res = std::string(c.method) == "GET" ? client.Get(c.path) : client.Post(c.path, "", "");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, c.status);
    EXPECT_EQ(res->get_header_value("Content-Type").rfind(c.type, 0), 0u);
    if (c.title) {
      EXPECT_EQ(titleOf(res->body), c.title);
    }
  }
  auto login = client.Get("/login.aspx?url=http%3A%2F%2Fpage.example.test%2F%3Fa%3D1%26b%3D%3C");
  EXPECT_NE(login->body.find("http://page.example.test/?a=1&amp;b=&lt;"), std::string::npos);
  pugi::xml_document feed;
  const auto list = client.Post("/feed_supported_video.aspx", "", "");
  ASSERT_TRUE(feed.load_string(list->body.c_str()));
  EXPECT_GE(feed.select_nodes("/*/*[@domain]").size(), 2u);
}

TEST(StandinPictures, AreGifsThatDecodeToTheirWholeSize) {
  for (const auto& picture : standin::content::pictures()) {
    SCOPED_TRACE(std::string(picture.path));
    const std::string& g = picture.bytes;
    ASSERT_GT(g.size(), 40u);
    ASSERT_EQ(g.substr(0, 6), "GIF89a");
    const int width = word(g, 6), height = word(g, 8);
    const std::size_t colours = 2u << (g[10] & 7);
    std::size_t at = 13 + 3 * colours;
    if (g[at] == '\x21') at += 3 + static_cast<unsigned char>(g[at + 2]) + 1;
    ASSERT_EQ(g[at], '\x2C');
    EXPECT_EQ(word(g, at + 5), width);
    EXPECT_EQ(word(g, at + 7), height);
    const int minCodeSize = g[at + 10];
    std::string data;
    for (at += 11; at < g.size() && g[at] != '\0'; at += 1 + static_cast<unsigned char>(g[at]))
      data += g.substr(at + 1, static_cast<unsigned char>(g[at]));
    ASSERT_EQ(g.substr(at), std::string("\0\x3B", 2)) << "block chain ends in the trailer";
    EXPECT_EQ(decodedPixels(data, minCodeSize), static_cast<std::size_t>(width * height));
  }
}

TEST_F(StandinTest, StoresAClipAndShowsItOnEveryClipPage) {
  const std::string clip =
      "<?xml version=\"1.0\"?>\n<clip><title>Fish &amp; chips</title><body>&lt;b&gt;</body></clip>";
  httplib::Client client("127.0.0.1", server_.port());
  auto saved = client.Post("/clip_mozilla_save.aspx", clip, "text/xml");
  ASSERT_TRUE(saved);
  ASSERT_EQ(saved->status, 200);
  EXPECT_EQ(saved->get_header_value("Content-Type").rfind("text/xml", 0), 0u);
  pugi::xml_document answer;
  ASSERT_TRUE(answer.load_string(saved->body.c_str()));
  const std::string id = answer.document_element().text().get();
  ASSERT_TRUE(standin::isClipId(id)) << id;
  EXPECT_EQ(storedClips(), 1u);

  std::ifstream in(server_.clipFile(id), std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), clip) << "stored byte for byte";

  const std::pair<std::string, std::string> pages[] = {
      {"/edit_clip.aspx?clipping=true&clip_guid=", "Edit clip"},
      {"/email_folverra.aspx?direct=true&folverra=", "Email clip"},
      {"/blog_this.aspx?direct=true&c=", "Blog this clip"},
      {"/print_clips_direct.aspx?c=", "Print clip"},
  };
  for (const auto& [path, title] : pages) {
    SCOPED_TRACE(path);
    auto res = client.Get(path + id);
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 200);
    EXPECT_EQ(titleOf(res->body), title);
    EXPECT_NE(res->body.find("&lt;title&gt;Fish &amp;amp; chips&lt;/title&gt;"), std::string::npos)
        << res->body;
  }
  std::string lower = id;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  EXPECT_EQ(client.Get("/print_clips_direct.aspx?c=" + lower)->status, 200)
      << "identifiers are not case-sensitive";
}

TEST_F(StandinTest, RefusesWhatIsNotAWellFormedClipAndStoresNothing) {
  const std::pair<const char*, std::string> bodies[] = {
      {"empty", ""},
      {"text", "just some words"},
      {"unclosed element", "<clip><title>x</clip>"},
      {"two roots", "<clip/><clip/>"},
      {"text beside the root", "words<clip/>"},
      {"binary", std::string("\0\x01\xFF<clip>", 9)},
      {"over the limit", "<clip>" + std::string(standin::kMaxClipBytes, 'x') + "</clip>"},
  };
  httplib::Client client("127.0.0.1", server_.port());
  for (const auto& [name, body] : bodies) {
    SCOPED_TRACE(name);
    auto res = client.Post("/clip_mozilla_save.aspx", body, "text/xml");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 400);
  }
  EXPECT_EQ(storedClips(), 0u);
}

TEST_F(StandinTest, ClipPagesAcceptOnlyIdentifiersAndFindOnlyStoredClips) {
  struct Case {
    std::string id;
    int status;
  };
  const Case cases[] = {
      {"..%2F..%2F..%2Fetc%2Fpasswd", 400},
      {"../standin", 400},
      {"%2Ftmp%2Fx", 400},
      {"0123ABCD-0123-4567-89AB-0123456789A/", 400},
      {"0123ABCD-0123-4567-89AB-0123456789AB%00", 400},
      {"0123ABCD-0123-4567-89AB-0123456789ABC", 400},
      {"", 400},
      {"0123ABCD-0123-4567-89AB-0123456789AB", 404},
  };
  // A file just outside the store that a path in the query could otherwise reach.
  std::ofstream(store_.parent_path() / "standin.xml") << "<secret/>";
  httplib::Client client("127.0.0.1", server_.port());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    auto res = client.Get("/edit_clip.aspx?clipping=true&clip_guid=" + c.id);
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, c.status);
    EXPECT_EQ(res->body.find("secret"), std::string::npos);
  }
  std::filesystem::remove(store_.parent_path() / "standin.xml");
  EXPECT_EQ(titleOf(client.Get("/blog_this.aspx?c=0123ABCD-0123-4567-89AB-0123456789AB")->body),
            "No such clip");
}

TEST_F(StandinTest, SurvivesMalformedRequests) {
  const std::pair<const char*, std::string> junk[] = {
      {"binary", std::string("\x16\x03\x01\x00\xa5\x01\x00\x00\xa1\x03\x03\0\0", 13)},
      {"bad method", "FROB / HTTP/1.1\r\nHost: x\r\n\r\n"},
      {"no version", "GET\r\n\r\n"},
      {"huge header", "GET / HTTP/1.1\r\nX-Big: " + std::string(200000, 'a') + "\r\n\r\n"},
      {"huge request line", "GET /" + std::string(100000, 'a') + " HTTP/1.1\r\n\r\n"},
      {"truncated body",
       "POST /clip_mozilla_save.aspx HTTP/1.1\r\nContent-Length: 5000\r\n\r\n<clip>"},
      {"negative length", "POST /clip_mozilla_save.aspx HTTP/1.1\r\nContent-Length: -7\r\n\r\n"},
      {"bad chunks",
       "POST /clip_mozilla_save.aspx HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\n"},
  };
  httplib::Client client("127.0.0.1", server_.port());
  for (const auto& [name, bytes] : junk) {
    SCOPED_TRACE(name);
    exchangeRaw(server_.port(), bytes, true);
    auto res = client.Get("/");
    ASSERT_TRUE(res) << "the server still answers";
    EXPECT_EQ(res->status, 200);
  }
  EXPECT_EQ(storedClips(), 0u);
}

// A request without a length has no body: it is answered at once, not read until the client
// gives up.
TEST_F(StandinTest, APostWithNeitherBodyNorLengthIsAnsweredAsAnEmptyOne) {
  struct Case {
    const char* path;
    const char* statusLine;
    std::string holds;
  };
  const Case cases[] = {
      {"/feed_supported_video.aspx", "HTTP/1.1 200 OK", standin::content::supportedVideoList()},
      {"/clip_mozilla_save.aspx", "HTTP/1.1 400 Bad Request", "<title>Not a clip</title>"},
      {"/faq/", "HTTP/1.1 404 Not Found", "<title>Not found</title>"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    const std::string answer = exchangeRaw(
        server_.port(),
        std::string("POST ") + c.path + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n",
        false);
    EXPECT_EQ(answer.substr(0, answer.find("\r\n")), c.statusLine);
    EXPECT_NE(answer.find(c.holds), std::string::npos) << answer;
  }
  EXPECT_EQ(storedClips(), 0u);
}
