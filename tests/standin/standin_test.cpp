#include <arpa/inet.h>
#include <httplib.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cstdint>
#include <fstream>
#include <regex>
#include <tuple>
#include <vector>

#include "runtime/strings.h"
#include "standin/content.h"
#include "standin_fixture.h"

namespace {

using testing_support::StandinTest;

std::string titleOf(const std::string& html) {
  std::smatch title;
  return std::regex_search(html, title, std::regex("<title>(.*?)</title>")) ? title[1].str() : "";
}

// Writes bytes on a fresh connection and reads until the server closes it (or ten seconds
// pass); with halfClose the client says at once that it sends nothing more.
std::string exchangeRaw(int port, const std::string& bytes, bool halfClose) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  EXPECT_GE(fd, 0);
  sockaddr_in to{.sin_family = AF_INET,
                 .sin_port = htons(static_cast<std::uint16_t>(port)),
                 .sin_addr = {htonl(INADDR_LOOPBACK)},
                 .sin_zero = {}};
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

}  // namespace

// Every route, and what it answers to requests it must refuse: no path in a query reaches the
// file just outside the store, no refused clip is stored.
TEST_F(StandinTest, AnswersEveryRouteWithItsKindOfContentAndRefusesWhatIsNotForIt) {
  const std::string save = "/clip_mozilla_save.aspx", id = "0123ABCD-0123-4567-89AB-0123456789AB";
  const std::string page = "/edit_clip.aspx?clipping=true&clip_guid=";
  // Method, address, body; the status and kind of answer: the title of an HTML page, or the
  // content type of another.
  std::vector<std::tuple<std::string, std::string, std::string, int, std::string>> cases = {
      {"POST", "/feed_supported_video.aspx", "", 200, "text/xml"},
      {"GET", "/", "", 200, "Folverra"},
      {"GET", "/popular/", "", 200, "Popular clips"},
      {"GET", "/folverra/", "", 200, "My Folverra"},
      {"GET", "/faq/", "", 200, "Frequently asked questions"},
      {"GET", "/how-to-clip/", "", 200, "How to clip"},
      {"GET", "/publishing-limit/", "", 200, "Publishing limit"},
      {"GET", "/overlimit_image.htm", "", 200, "Over the limit"},
      {"GET", "/overlimit_image_blog.htm", "", 200, "Over the blog limit"},
      {"GET", "/login.aspx?url=http%3A%2F%2Fpage.example.test%2F", "", 200, "Sign in"},
      {"GET", "/feed_supported_video.aspx", "", 404, "Not found"},
      {"POST", "/faq/", "", 404, "Not found"},
      {"GET", "/images/../standin.h", "", 404, "Not found"},
      {"GET", page + id, "", 404, "No such clip"},
      {"GET", "/blog_this.aspx?c=" + id, "", 404, "No such clip"},
  };
  for (const auto& picture : standin::content::pictures())
    cases.emplace_back("GET", std::string(picture.path), "", 200, "image/gif");
  // Clips that are not well-formed XML, or too big; clip pages given what is no identifier.
  using namespace std::string_literals;
  for (const std::string& body :
       {""s, "just some words"s, "<clip><title>x</clip>"s, "<clip/><clip/>"s, "words<clip/>"s,
        "\0\x01\xFF<clip>"s, "<clip>" + std::string(standin::kMaxClipBytes, 'x') + "</clip>"})
    cases.emplace_back("POST", save, body, 400, "Not a clip");
  for (const std::string& bad : {"..%2F..%2F..%2Fetc%2Fpasswd"s, "../standin"s, "%2Ftmp%2Fx"s,
                                 id.substr(0, 35) + "/", id + "%00", id + "C", ""s})
    cases.emplace_back("GET", page + bad, "", 400, "Not a clip identifier");
  std::ofstream(store_.parent_path() / "standin.xml") << "<secret/>";
  httplib::Client client("127.0.0.1", server_.port());
  for (const auto& [method, path, body, status, kind] : cases) {
    SCOPED_TRACE(method + " " + path.substr(0, 80));
    auto res = method == "GET" ? client.Get(path) : client.Post(path, body, "text/xml");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, status);
    const bool html = kind.find('/') == std::string::npos;
    EXPECT_EQ(res->get_header_value("Content-Type").rfind(html ? "text/html" : kind, 0), 0u);
    EXPECT_EQ(titleOf(res->body), html ? kind : "");
    EXPECT_EQ(res->body.find("secret"), std::string::npos);
  }
  EXPECT_EQ(storedClips(), 0u);
  auto login = client.Get("/login.aspx?url=http%3A%2F%2Fpage.example.test%2F%3Fa%3D1%26b%3D%3C");
  EXPECT_NE(login->body.find("http://page.example.test/?a=1&amp;b=&lt;"), std::string::npos);
}

// Each picture is one GIF image whose data blocks run to the trailer.
TEST(StandinPictures, AreWholeGifImages) {
  for (const auto& picture : standin::content::pictures()) {
    SCOPED_TRACE(std::string(picture.path));
    const std::string& g = picture.bytes;
    const auto word = [&](std::size_t i) {
      return std::uint8_t(g[i]) | std::uint8_t(g[i + 1]) << 8;
    };
    ASSERT_GT(g.size(), 40u);
    ASSERT_EQ(g.substr(0, 6), "GIF89a");
    std::size_t at = 13 + 3 * (2u << (g[10] & 7));  // past the global colour table
    if (g[at] == '\x21') at += 3 + static_cast<unsigned char>(g[at + 2]) + 1;
    ASSERT_EQ(g[at], '\x2C');
    EXPECT_EQ(word(at + 5), word(6)) << "the image is as wide as the screen";
    EXPECT_EQ(word(at + 7), word(8)) << "and as high";
    at += 11;  // past the image descriptor and the code size, to the data blocks
    while (at < g.size() && g[at] != '\0') at += 1 + static_cast<unsigned char>(g[at]);
    ASSERT_EQ(g.substr(at), std::string("\0\x3B", 2)) << "block chain ends in the trailer";
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
  const std::string id = saved->body.substr(6, 36);
  EXPECT_EQ(saved->body, "<clip>" + id + "</clip>");
  ASSERT_TRUE(standin::isClipId(id)) << id;
  EXPECT_EQ(storedClips(), 1u);

  std::ifstream in(server_.clipFile(id), std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), clip) << "stored byte for byte";

  const std::pair<std::string, std::string> pages[] = {
      {"/edit_clip.aspx?clipping=true&clip_guid=" + id, "Edit clip"},
      {"/email_folverra.aspx?direct=true&folverra=" + id, "Email clip"},
      {"/blog_this.aspx?direct=true&c=" + id, "Blog this clip"},
      {"/print_clips_direct.aspx?c=" + id, "Print clip"},
      {"/print_clips_direct.aspx?c=" + platform::lowerAscii(id), "Print clip"},  // any case
  };
  for (const auto& [path, title] : pages) {
    SCOPED_TRACE(path);
    auto res = client.Get(path);
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 200);
    EXPECT_EQ(titleOf(res->body), title);
    EXPECT_NE(res->body.find("&lt;title&gt;Fish &amp;amp; chips&lt;/title&gt;"), std::string::npos)
        << res->body;
  }
}

TEST_F(StandinTest, AClipPageListsTheFramesAsAReaderSeesThem) {
  const std::string clip =
      "<elements><frame><source><protocol>http:</protocol><host>example.org</host><path>/a/"
      "</path><page>b.html</page><query>?q=1</query></source><content><![CDATA[<P>Fish &amp;\n"
      "<B>chips</B><script>x</script></P>]]></content></frame><frame><source/><image><src>"
      "http://example.org/c.png?a=1&amp;b=2</src></image></frame></elements>";
  httplib::Client client("127.0.0.1", server_.port());
  auto saved = client.Post("/clip_mozilla_save.aspx", clip, "text/xml");
  ASSERT_TRUE(saved);
  auto page = client.Get("/edit_clip.aspx?clip_guid=" + saved->body.substr(6, 36));
  ASSERT_TRUE(page);
  EXPECT_NE(page->body.find("<ol id=\"frames\">\n"
                            "<li><cite>http://example.org/a/b.html?q=1</cite> Fish &amp;amp; "
                            "chipsx</li>\n"
                            "<li>picture http://example.org/c.png?a=1&amp;b=2</li>"),
            std::string::npos)
      << page->body;
}

// Junk, each on a connection of its own and sent with the sending side shut, leaves the server
// answering. A POST with neither a body nor a length has an empty body: it is answered at once,
// not read until the client gives up.
TEST_F(StandinTest, RawRequestsAreAnsweredOrDroppedAndTheServerCarriesOn) {
  using namespace std::string_literals;
  const std::string save = "POST /clip_mozilla_save.aspx HTTP/1.1\r\n";
  const std::string junk[] = {
      "\x16\x03\x01\x00\xa5\x01\x00\x00\xa1\x03\x03\0\0"s,
      "FROB / HTTP/1.1\r\nHost: x\r\n\r\n",
      "GET\r\n\r\n",
      "GET / HTTP/1.1\r\nX-Big: " + std::string(200000, 'a') + "\r\n\r\n",
      "GET /" + std::string(100000, 'a') + " HTTP/1.1\r\n\r\n",
      save + "Content-Length: 5000\r\n\r\n<clip>",
      save + "Content-Length: -7\r\n\r\n",
      save + "Transfer-Encoding: chunked\r\n\r\nzz\r\n",
  };
  httplib::Client client("127.0.0.1", server_.port());
  for (const std::string& bytes : junk) {
    SCOPED_TRACE(bytes.substr(0, 60));
    exchangeRaw(server_.port(), bytes, true);
    const auto res = client.Get("/");
    ASSERT_TRUE(res && res->status == 200) << "the server still answers";
  }
  // The address, the status line and part of the answer.
  const std::tuple<std::string, std::string, std::string> withoutLength[] = {
      {"/feed_supported_video.aspx", "HTTP/1.1 200 OK", standin::content::supportedVideoList()},
      {"/clip_mozilla_save.aspx", "HTTP/1.1 400 Bad Request", "<title>Not a clip</title>"},
      {"/faq/", "HTTP/1.1 404 Not Found", "<title>Not found</title>"},
  };
  for (const auto& [path, statusLine, holds] : withoutLength) {
    SCOPED_TRACE(path);
    const std::string answer =
        exchangeRaw(server_.port(),
                    "POST " + path + " HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n", false);
    EXPECT_EQ(answer.substr(0, answer.find("\r\n")), statusLine);
    EXPECT_NE(answer.find(holds), std::string::npos) << answer;
  }
  EXPECT_EQ(storedClips(), 0u);
}
