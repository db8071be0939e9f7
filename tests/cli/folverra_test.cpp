#include <gtest/gtest.h>
#include <httplib.h>
#include <nlohmann/json.hpp>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "headless/pages.h"
#include "standin/standin_fixture.h"
#include "support.h"

namespace {

using testing_support::pageUrl;

struct Outcome {
  int status;
  std::string out;
};

Outcome run(const std::string& args) {
  const std::string command = std::string(FOLVERRA_CLI) + " " + args + " 2>&1";
  Outcome r{-1, {}};
  FILE* pipe = popen(command.c_str(), "r");
  std::array<char, 4096> buffer;
  while (std::size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe))
    r.out.append(buffer.data(), n);
  r.status = WEXITSTATUS(pclose(pipe));
  return r;
}

void expectAll(const Outcome& r, const std::vector<std::string>& parts) {
  for (const std::string& part : parts) EXPECT_NE(r.out.find(part), std::string::npos) << part;
}

// `folverra serve --store STORE` with its output on a pipe.
struct Serving {
  pid_t pid = -1;
  FILE* out = nullptr;
};

Serving startServe(const std::filesystem::path& store) {
  std::string program = FOLVERRA_CLI, serve = "serve", option = "--store", folder = store.string();
  char* argv[] = {program.data(), serve.data(), option.data(), folder.data(), nullptr};
  int fds[2];
  if (::pipe(fds) != 0) return {};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
  posix_spawn_file_actions_addclose(&actions, fds[0]);
  Serving s;
  posix_spawn(&s.pid, argv[0], &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(fds[1]);
  s.out = ::fdopen(fds[0], "r");
  return s;
}

std::string line(FILE* in) {
  std::array<char, 1024> buffer{};
  return std::fgets(buffer.data(), buffer.size(), in) ? buffer.data() : "";
}

int portIn(const std::string& banner) {
  const auto at = banner.find("127.0.0.1:");
  return at == std::string::npos ? 0 : std::atoi(banner.c_str() + at + 10);
}

}  // namespace

TEST(FolverraCommand, SitesTheBandAndReportsItsLifecycle) {
  testing_support::ModuleFolder dir;
  const Outcome r = run("");
  ASSERT_EQ(r.status, 0) << r.out;
  expectAll(r, {"sizes: min 36 x 25, max 36 x 25, integral 36 x 25, actual 36 x 25, mode 0",
                "(ReBarWindow32), style 0x52010100, visible", "ShowDW(FALSE): 0x",
                "SetSite(nothing): no window"});
  EXPECT_FALSE(std::filesystem::exists(dir.log())) << "a clean run logs nothing";
}

TEST(FolverraCommand, BadArgumentsAndUnreadablePagesGetOneLineAndStatus2) {
  testing_support::ModuleFolder dir;
  std::ofstream(dir.path() / "page.html") << "<p>hello</p>";
  struct Case {
    std::string args;
    int status;
    std::string says;
  };
  const Case cases[] = {
      {"--help", 0, "usage: folverra"},
      {"--version", 0, "folverra 3.0.0"},
      {"--frobnicate", 2, "unknown option '--frobnicate'"},
      {"band a.html b.html", 2, "unexpected argument 'b.html'"},
      {"/nonexistent/page.html", 2, "cannot read page '/nonexistent/page.html'"},
      {dir.path().string(), 2, "cannot read page"},
      {"file://" + (dir.path() / "page.html").string(), 0, "page: file://"},
      {"open http://service.example.test/", 2, "only 127.0.0.1, localhost and [::1]"},
      {"open /nonexistent/page.html", 2, "cannot open '/nonexistent/page.html'"},
      {"clip", 2, "clip needs a page"},
      {"clip " + (dir.path() / "page.html").string() + " --resize 10", 2, "--resize takes WxH"},
      {"clip " + (dir.path() / "page.html").string() + " --move-to '#none'", 2,
       "the page has no element '#none'"},
      {"clip " + (dir.path() / "page.html").string() + " --click-overlay x", 2,
       "a number is wanted, not 'x'"},
      {"clip " + (dir.path() / "page.html").string() + " --click-overlay 3", 2,
       "the clip has no overlay 3"},
      {"clip " + (dir.path() / "page.html").string() + " --page-out /nonexistent/p.html", 2,
       "cannot write the page to '/nonexistent/p.html'"},
      {"clip " + (dir.path() / "page.html").string() + " --over-limit edit-clip", 2,
       "--over-limit answers the dialog of the --done just before it"},
      {"clip " + (dir.path() / "page.html").string() + " --scroll 5", 2, "--scroll takes X,Y"},
      {"clip " + (dir.path() / "page.html").string() + " --hover-button", 2,
       "no hover button is shown"},
      {"serve --port", 2, "--port needs a value"},
      {"serve --port x", 2, "'x' is not a port number"},
      {"serve --port 70000", 2, "'70000' is not a port number"},
      {"serve --store", 2, "--store needs a value"},
      {"serve --frob", 2, "unexpected argument '--frob'"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args);
    const Outcome r = run(c.args);
    EXPECT_EQ(r.status, c.status) << r.out;
    EXPECT_NE(r.out.find(c.says), std::string::npos) << r.out;
    if (c.status == 2) {
      EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1) << r.out;
    }
  }
}

TEST(FolverraCommand, OpenPrintsTitleFramesAndWindowTree) {
  testing_support::ModuleFolder dir;
  const Outcome r = run("open " + pageUrl("frameset.html").substr(7));
  ASSERT_EQ(r.status, 0) << r.out;
  expectAll(r, {"title: Two frames\n",
                "  left " + pageUrl("left.html") + "\n  right " + pageUrl("right.html") + "\n",
                "proxies: 3\n  1 " + pageUrl("frameset.html") + "\n  2 " + pageUrl("left.html") +
                    "\n  3 " + pageUrl("right.html") + "\n",
                "  IEFrame\n    Shell DocObject View\n      Internet Explorer_Server\n"});

  // A frame outside loopback fails alone and shows an empty page.
  std::ofstream(dir.path() / "ad.html") << "<title>T</title><p>text</p><iframe "
                                           "src=\"https://example.com/x\"></iframe>";
  const Outcome framed = run("open " + (dir.path() / "ad.html").string());
  ASSERT_EQ(framed.status, 0) << framed.out;
  expectAll(framed, {"title: T\n", "frames:\n  (unnamed) about:blank\nproxies: 2\n"});
}

TEST(FolverraCommand, OpensTheEmbeddedServiceByDefaultAndChoosesFromTheMenu) {
  testing_support::ModuleFolder dir;
  const Outcome r = run("open --menu Help");
  ASSERT_EQ(r.status, 0) << r.out;
  expectAll(r, {"service: http://127.0.0.1:", "document: HTMLDocument", "Internet Explorer_Server",
                "menu: Help\naddress: http://127.0.0.1:"});
  EXPECT_EQ(r.out.substr(r.out.size() - 6), "/faq/\n") << r.out;

  const Outcome unknown = run("open --menu Nothing");
  EXPECT_EQ(unknown.status, 2);
  EXPECT_NE(unknown.out.find("no item 'Nothing'"), std::string::npos) << unknown.out;
}

TEST(FolverraCommand, ClipMakesTheUsersGesturesAndReportsTheBarAndTheFrame) {
  testing_support::ModuleFolder dir;
  const std::string page = pageUrl("clipping.html").substr(7);
  const auto json = [&](const std::string& gestures) {
    const Outcome r = run("clip " + page + " " + gestures + " --json");
    EXPECT_EQ(r.status, 0) << r.out;
    return nlohmann::json::parse(r.out, nullptr, false);
  };
  const auto on = json("--clip-button --resize 1000x600 --move-to '#picture'");
  ASSERT_FALSE(on.is_discarded());
  EXPECT_EQ(on["mode"], 1);
  EXPECT_EQ(on["clipBar"]["count"], "0");
  EXPECT_EQ(on["clipBar"]["controls"]["imgTagline"][0], 95) << "centred on 1000 pixels";
  EXPECT_EQ(on["frame"]["element"]["tag"], "IMG");
  EXPECT_EQ(on["frame"]["element"]["path"], "ELEMENT-ID[picture]/");
  EXPECT_EQ(on["frame"]["left"][4], "block");
  EXPECT_TRUE(on["clip"].is_null());
  EXPECT_TRUE(on["errors"].empty()) << on["errors"];

  const auto byPath = json("--clip-button --move-to 'ELEMENT-ID[main]/P[1]/' --move-out");
  EXPECT_TRUE(byPath["frame"]["element"].is_null()) << "leaving the page takes the frame";
  EXPECT_EQ(byPath["frame"]["top"][4], "none");

  const auto off = json("--clip-button --move-to '#a1' --clip-button");
  EXPECT_EQ(off["mode"], 0);
  EXPECT_TRUE(off["clipBar"].is_null());

  const auto clipped = json("--clip-button --click 'ELEMENT-ID[main]/P[0]/'");
  EXPECT_EQ(clipped["lastPath"], "ELEMENT-ID[main]/P[0]/");
  ASSERT_EQ(clipped["overlays"].size(), 1u);
  EXPECT_EQ(clipped["overlays"][0]["clipIndex"], 0);
  EXPECT_NE(clipped["clip"].get<std::string>().find("<![CDATA[<P>First paragraph.</P>]]>"),
            std::string::npos);
  EXPECT_EQ(clipped["clipBar"]["count"], "16");
  const auto emailed = json("--clip-button --click 'ELEMENT-ID[main]/P[0]/' --done email");
  EXPECT_NE(emailed["posted"].get<std::string>().find("<elements version=\"3.0.0\"><frame"),
            std::string::npos);
  EXPECT_NE(emailed["opened"].get<std::string>().find("/email_folverra.aspx?direct=true&folverra="),
            std::string::npos);
  EXPECT_EQ(emailed["openedTitle"], "Email clip");
  EXPECT_EQ(emailed["mode"], 0) << "the post ends clipping";
  const auto unclipped = json("--clip-button --click '#picture' --click-overlay 1");
  EXPECT_TRUE(unclipped["overlays"].empty()) << "clicking the overlay's picture unclips";
  EXPECT_EQ(unclipped["clip"], "<elements/>");

  const Outcome person = run("clip " + page + " --clip-button --move-to '#b2'");
  expectAll(person, {"mode: 1\n", "clip bar: 0 characters clipped, 1000 to sharing limit\n",
                     "frame: around TD ELEMENT-ID[b2]/\n", "errors: 0\n"});

  // The page as the toolbar left it: the frame's sides were inserted at the body's start.
  const auto out = dir.path() / "out.html";
  ASSERT_EQ(run("clip " + page + " --page-out " + out.string()).status, 0);
  std::ifstream written(out);
  const std::string markup{std::istreambuf_iterator<char>(written), {}};
  EXPECT_NE(markup.find("<BODY><DIV id=dvLumBorderBottom style="), std::string::npos) << markup;
}

// Served as localhost, a site the embedded stand-in lists for videos.
TEST(FolverraCommand, ClipClicksTheHoverAndSelectionButtons) {
  testing_support::ModuleFolder dir;
  testing_support::PageServer server{
      {{"/video.html",
        "<p id=words>Words to clip</p><embed id=video src=movie.swf width=200 height=120 "
        "style='position:absolute;left:300px;top:200px'><div style='position:absolute;"
        "left:0px;top:1500px;width:10px;height:10px'></div>"}}};
  std::string page = server.url("/video.html");
  page.replace(page.find("127.0.0.1"), 9, "localhost");
  const auto json = [&](const std::string& gestures) {
    const Outcome r = run("clip " + page + " --clip-button " + gestures + " --json");
    EXPECT_EQ(r.status, 0) << r.out;
    return nlohmann::json::parse(r.out, nullptr, false);
  };
  const auto shown = [](int picture, int top) {
    return nlohmann::json{{"shown", true}, {"picture", picture}, {"rect", {423, top, 67, 19}}};
  };
  const std::pair<const char*, nlohmann::json> cases[] = {
      {"", nullptr},
      {"--move-to '#video'", shown(0, 210)},
      {"--move-to '#video' --hover-button", shown(1, 210)},
      {"--move-to '#video' --hover-button --hover-button", shown(0, 210)},
      {"--move-to '#video' --scroll 0,100", shown(0, 110)}};
  for (const auto& [gestures, button] : cases)
    EXPECT_EQ(json(gestures)["hoverButton"], button) << gestures;

  const auto clipped = json("--select '#words' --selection-button");
  EXPECT_NE(clipped["clip"].get<std::string>().find("type=\"IHTMLTxtRange\""), std::string::npos);
  EXPECT_EQ(clipped["markers"].size(), 2u);
  const Outcome again = run(
      "clip " + page + " --clip-button --select '#words' --selection-button --selection-button");
  EXPECT_EQ(again.status, 2);
  EXPECT_NE(again.out.find("no selection button is shown"), std::string::npos) << again.out;
  expectAll(run("clip " + page + " --clip-button --move-to '#video'"),
            {"hover button: shown, picture 0, at 423,210 67x19\n"});
}

TEST(FolverraCommand, SampleClipsTheArticleAndEmailsIt) {
  testing_support::ModuleFolder dir;
  const Outcome r = run("sample --json");
  ASSERT_EQ(r.status, 0) << r.out;
  const auto json = nlohmann::json::parse(r.out, nullptr, false);
  ASSERT_FALSE(json.is_discarded()) << r.out;
  EXPECT_EQ(json["clipped"]["clipBar"]["count"], "722");
  const std::string clipped = json["clipped"]["clip"];
  for (const char* path : {"ELEMENT-ID[lede]/", "ELEMENT-ID[ridge]/", "ELEMENT-ID[hillside]/"})
    EXPECT_NE(clipped.find(path), std::string::npos) << path;
  const std::string posted = json["sent"]["posted"];
  EXPECT_EQ(posted.rfind("<elements version=\"3.0.0\">", 0), 0u) << posted;
  EXPECT_NE(posted.find("<image><src>file://"), std::string::npos);
  EXPECT_NE(json["sent"]["opened"].get<std::string>().find("/email_folverra.aspx?direct=true&"),
            std::string::npos);
  EXPECT_TRUE(json["sent"]["errors"].empty()) << json["sent"]["errors"];
  expectAll(run("sample"), {"Count: 722 characters clipped, 278 to the sharing limit of 1000\n",
                            "  3. ELEMENT-ID[hillside]/  picture hillside.png, 240 x 160",
                            "  <client>\n", "\"Email clip\"\n", "Errors logged: 0\n"});
}

// The whole article is over the sharing limit: the dialogs a user meets, answered as a user does.
TEST(FolverraCommand, AClipOverTheLimitMeetsTheOverLimitDialogs) {
  testing_support::ModuleFolder dir;
  const std::string article = std::string(FOLVERRA_SAMPLE_ARTICLE);
  const std::string over = "clip " + article + " --clip-button --click '#article' ";
  struct Case {
    const char* name;
    const char* gestures;
    std::vector<std::string> dialogs;
    int mode;
    const char* opened;
  } const cases[] = {
      {"saved privately after e-mail",
       "--done email --over-limit save-privately",
       {"frmDoneClipping", "frmOverLimit"},
       0,
       "/email_folverra.aspx?direct=true&folverra="},
      {"edit clip after save",
       "--done save --over-limit edit-clip",
       {"frmDoneClipping", "frmOverLimit"},
       1,
       nullptr},
      {"edit clip after blog",
       "--done blog --over-limit save-privately",
       {"frmDoneClipping", "frmOverLimitBlog"},
       1,
       nullptr},
      {"Done Clipping again after edit clip",
       "--done print --over-limit edit-clip --done cancel",
       {"frmDoneClipping"},
       1,
       nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Outcome r = run(over + c.gestures + " --json");
    ASSERT_EQ(r.status, 0) << r.out;
    const auto json = nlohmann::json::parse(r.out, nullptr, false);
    EXPECT_EQ(json["dialogs"], c.dialogs);
    EXPECT_EQ(json["mode"], c.mode);
    if (c.opened) {
      EXPECT_NE(json["opened"].get<std::string>().find(c.opened), std::string::npos);
      EXPECT_NE(json["posted"].get<std::string>().find("ELEMENT-ID[article]/"), std::string::npos);
    } else {
      EXPECT_TRUE(json["opened"].is_null() && json["posted"].is_null()) << json["opened"];
      EXPECT_EQ(json["clipBar"]["count"], "1309") << "the clip is kept as it was";
    }
    EXPECT_TRUE(json["errors"].empty()) << json["errors"];
  }
}

TEST(FolverraCommand, ClipTalksToTheServiceItIsPointedAt) {
  testing_support::ModuleFolder dir;
  Serving s = startServe(dir.path() / "store");
  ASSERT_GT(s.pid, 0);
  const int port = portIn(line(s.out));
  const std::string host = "127.0.0.1:" + std::to_string(port);
  const Outcome r = run("clip " + pageUrl("clipping.html").substr(7) + " --service http://" + host +
                        " --clip-button --click '#a1' --json");
  ::kill(s.pid, SIGTERM);
  ::waitpid(s.pid, nullptr, 0);
  std::fclose(s.out);
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("src=http://" + host + "/images/clipped.gif"), std::string::npos) << r.out;
}

TEST(ServeCommand, ServesUntilSignalledAndStoresInTheFolderGiven) {
  for (int signal : {SIGTERM, SIGINT}) {
    SCOPED_TRACE(signal);
    testing_support::ModuleFolder dir;
    const auto store = dir.path() / "store";
    Serving s = startServe(store);
    ASSERT_GT(s.pid, 0);
    const int port = portIn(line(s.out));
    ASSERT_GT(port, 0);
    httplib::Client client("127.0.0.1", port);
    auto saved = client.Post("/clip_mozilla_save.aspx", "<clip/>", "text/xml");
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->status, 200);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(store), {}), 1);
    ::kill(s.pid, signal);
    int status = 0;
    ::waitpid(s.pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(line(s.out), "folverra serve: stopped\n");
    std::fclose(s.out);
  }
}

namespace {

// The menu a right click opens on a cell of the grid: its slider frames the column, its buttons
// clip that column or close the menu.
TEST(FolverraCommand, ClipWorksTheContextMenu) {
  testing_support::ModuleFolder dir;
  const std::string clip = "clip " + pageUrl("clipping.html").substr(7) + " --clip-button ";
  const auto json = [&](const std::string& gestures) {
    const Outcome r = run(clip + gestures + " --json");
    EXPECT_EQ(r.status, 0) << r.out;
    return nlohmann::json::parse(r.out, nullptr, false);
  };
  const auto none = json("--move-to '#b2'");
  EXPECT_TRUE(none["contextMenu"].is_null());
  const auto slid = json("--right-click '#b2' --slider 1");
  ASSERT_FALSE(slid.is_discarded());
  EXPECT_EQ(slid["contextMenu"]["shown"], true);
  EXPECT_EQ(slid["contextMenu"]["slider"], 1);
  EXPECT_EQ(slid["contextMenu"]["levels"][1], nlohmann::json({{"entry", "COL"},
                                                              {"tag", "TD"},
                                                              {"path", "ELEMENT-ID[b2]/"},
                                                              {"column", true},
                                                              {"level", 1}}));
  EXPECT_EQ(slid["frame"]["element"]["tag"], "TABLE") << "the column's frame spans the table";
  const auto clipped = json("--right-click '#b2' --slider 1 --menu-lumora");
  EXPECT_EQ(clipped["lastPath"], "ELEMENT-ID[b2]/");
  EXPECT_NE(clipped["clip"].get<std::string>().find("column=\"true\""), std::string::npos);
  EXPECT_EQ(clipped["contextMenu"]["shown"], false);
  const auto closed = json("--right-click '#b2' --menu-cancel");
  EXPECT_EQ(closed["contextMenu"]["shown"], false);
  EXPECT_TRUE(closed["clip"].is_null());
  expectAll(run(clip + "--right-click '#b2'"),
            {"context menu: shown at ", "  1 COL ELEMENT-ID[b2]/ (column)\n", "    -TBODY "});
  struct Case {
    const char* gestures;
    const char* says;
  } const refused[] = {{"--slider 1", "--slider needs the context menu"},
                       {"--right-click '#b2' --slider 9", "slider runs from 0 to "},
                       {"--slider x", "a number is wanted"},
                       {"--menu-lumora", "--menu-lumora needs the context menu"}};
  for (const Case& c : refused) {
    const Outcome r = run(clip + c.gestures);
    EXPECT_EQ(r.status, 2) << c.gestures;
    EXPECT_NE(r.out.find(c.says), std::string::npos) << r.out;
  }
}

}  // namespace
