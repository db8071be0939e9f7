// The toolbar's save on the real XMLHTTP, answered by a stand-in of the service on loopback. The
// window the answer opens comes from the browser application's class, which the check takes over
// in the class registry for its own fake browsers: Wine's browser takes the new window's address
// but none of its bars or its size, so the real one would end the launch with an error.
// Wine's XMLHTTP never completes a request whose connection failed: there a save to a service
// that is not listening is never answered, and its clip is kept when the toolbar goes.
#include <algorithm>
#include <deque>
#include <filesystem>
#include <optional>

#include "loopback.h"
#include "platform/xml.h"
#include "runtime/comobject.h"
#include "stage.h"
#include "toolbar/frmToolband.h"
#include "win32/wide.h"

namespace smoke {
namespace {

namespace fs = std::filesystem;

constexpr const char* kAgent = "Folverra-check/3.0 (Wine)";
constexpr const char* kId = "0f5c1d2e-check";
constexpr DISPID kDocumentComplete = 259;
constexpr long kCharacters = 12;

// New browser windows, as the browser application makes them: hidden windows of the check's,
// each with a fake browser writing down what it is told. They are children of the stage's frame:
// without a window manager Wine takes two seconds to destroy a shown top-level window.
class NewWindows {
 public:
  struct Opened {
    HWND window;
    std::string told;
  };
  std::deque<Opened> opened;

  explicit NewWindows(HWND parent) {
    const auto create = [this, parent](REFIID riid, void** ppv) {
      const HWND window = CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 100, 100, parent,
                                          nullptr, nullptr, nullptr);
      Opened& o = opened.emplace_back(Opened{window, {}});
      return fakeBrowser(o.window, nullptr, E_NOTIMPL, nullptr, &o.told)->QueryInterface(riid, ppv);
    };
    auto factory = com::Ptr<IClassFactory>::adopt(new com::ClassFactory(create));
    platform::check(CoRegisterClassObject(CLSID_InternetExplorer, factory.get(),
                                          CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE, &cookie_));
  }
  ~NewWindows() {
    CoRevokeClassObject(cookie_);
    for (const Opened& o : opened) DestroyWindow(o.window);
  }

 private:
  DWORD cookie_ = 0;
};

// What saves change beside the error log: the log, its lock and the unsent folder. The log is
// set aside for the check and put back after it; what was not there before goes.
class LogFolder {
 public:
  const fs::path log = win32::wide(ErrorLogPath());
  const fs::path unsent = log.parent_path() / "unsent";

  LogFolder() {
    for (const fs::path& p : {log, lock_, unsent})
      if (fs::exists(p)) before_.push_back(p);
    for (const fs::path& p : files()) before_.push_back(p);
    if (fs::exists(log)) fs::rename(log, aside_);
  }
  ~LogFolder() {
    std::error_code ignored;
    for (const fs::path& p : files())
      if (!was(p)) fs::remove(p, ignored);
    for (const fs::path& p : {log, lock_, unsent})
      if (!was(p)) fs::remove(p, ignored);
    if (fs::exists(aside_)) fs::rename(aside_, log, ignored);
  }
  // The unsent files, oldest name first.
  std::vector<fs::path> files() const {
    std::vector<fs::path> found;
    if (fs::exists(unsent))
      for (const auto& entry : fs::directory_iterator(unsent)) found.push_back(entry.path());
    std::sort(found.begin(), found.end());
    return found;
  }
  // The unsent files that are not among kept.
  std::vector<fs::path> filesSince(const std::vector<fs::path>& kept) const {
    std::vector<fs::path> added;
    for (const fs::path& p : files())
      if (std::find(kept.begin(), kept.end(), p) == kept.end()) added.push_back(p);
    return added;
  }
  // "routine|more-info" of each record, one a line.
  std::string records() const {
    xml::Document document = xml::Document::Create();
    document.setAsync(false);
    std::string lines;
    if (!fs::exists(log) || !document.load(win32::narrow(log.c_str()))) return lines;
    const xml::NodeList errors = document.selectNodes("//error");
    for (long i = 0; i < errors.length(); ++i)
      lines += errors.item(i).selectSingleNode("routine").text() + "|" +
               errors.item(i).selectSingleNode("more-info").text() + "\n";
    return lines;
  }

 private:
  bool was(const fs::path& p) const {
    return std::find(before_.begin(), before_.end(), p) != before_.end();
  }
  const fs::path lock_ = fs::path(log) += ".lock";
  const fs::path aside_ = fs::path(log) += ".before-exchange";
  std::vector<fs::path> before_;
};

// The root element of an XML text or file, as MSXML writes it; empty for no XML.
std::string rootOf(const std::string& text, bool file = false) {
  xml::Document document = xml::Document::Create();
  document.setAsync(false);
  const bool loaded = file ? document.load(text) : document.loadXML(text);
  return loaded && document.documentElement() ? document.documentElement().xml() : std::string();
}

// What one e-mailed clip came to.
struct Outcome {
  int port;
  std::string line, body;  // of the request the service received
  std::vector<NewWindows::Opened> opened;
  std::string records;
  std::vector<fs::path> unsent;  // written by this save
  bool emailPending;
};

// The clip bar's world with the page's window answering the user agent, the page's completion
// announced, and the error log and unsent folder as the check found them.
struct Exchange {
  LogFolder folder;
  Stage stage;
  NewWindows windows{stage.frame};

  Exchange() {
    Scripted window = ScriptedObject::make(), navigator = ScriptedObject::make();
    navigator->answer("userAgent", std::string(kAgent));
    window->answer("navigator", navigator);
    stage.document->answer("parentWindow", window);
    stage.body->answer("clientWidth", win32::Value(1000L));
    completePage();
  }
  static frmToolband& toolbar() { return ui::Instance<frmToolband>::get(); }
  void completePage() {
    Call complete;
    complete.object(stage.browser.query<IDispatch>(IID_IDispatch).get()).text("about:blank");
    stage.events->fire(kDocumentComplete, complete);
  }
  // The band taken down, as when the browser's window closes, and sited again.
  void resite() {
    SetToolbandSite({});
    SetToolbandSite(BandSite::Create(stage.frame, stage.browser));
    completePage();
  }

  // Clipping on, a clip, and the e-mail row of the done-clipping dialog, with the service
  // answering reply, or not there when there is none; the queue runs until the answer is handled
  // or the wait is over. A loaded machine may take seconds to answer over loopback under Wine.
  Outcome save(const std::string& reply,
               std::chrono::milliseconds wait = std::chrono::seconds(20)) {
    std::optional<LoopbackServer> server;
    if (!reply.empty()) server.emplace(reply);
    const int port = server ? server->port : LoopbackServer::unusedPort();
    ReplaceServiceHosts(ServiceHostsAt("127.0.0.1:" + std::to_string(port)));
    fs::remove(folder.log);
    const std::size_t opened = windows.opened.size();
    const std::vector<fs::path> kept = folder.files();
    toolbar().imgClipIt_Click(0);
    stage.clip(kCharacters);
    CalcPopLimit();
    toolbar().TagIt(VARIANT_FALSE, VARIANT_FALSE, VARIANT_TRUE);
    pumpUntil([&] { return windows.opened.size() > opened || folder.files().size() > kept.size(); },
              wait);
    expect(toolbar().LumoraMode() == 0, "clipping goes on after the save");
    const std::string request = server ? server->request() : std::string();
    return {port,
            request.substr(0, request.find("\r\n")),
            server ? server->body() : std::string(),
            {windows.opened.begin() + static_cast<long>(opened), windows.opened.end()},
            folder.records(),
            folder.filesSince(kept),
            toolbar().bEmail != 0};
  }
};

// The answer opened the e-mail page of the identifier in a bare window, and nothing was logged.
void expectSaved(const Outcome& out, const std::string& what) {
  if (!expect(out.opened.size() == 1,
              what + ": " + std::to_string(out.opened.size()) + " windows opened, not one"))
    return;
  const NewWindows::Opened& o = out.opened.front();
  const std::string page = "http://127.0.0.1:" + std::to_string(out.port) +
                           "/email_folverra.aspx?direct=true&folverra=" + kId;
  for (const std::string& line :
       std::vector<std::string>{"Navigate " + page, "AddressBar 0", "MenuBar 0", "StatusBar 0",
                                "ToolBar 0", "Resizable -1", "Width 759", "Height 535"})
    expect(o.told.find(line + "\n") != std::string::npos,
           what + ": the window was not told " + line + "; it was told\n" + o.told);
  expect(IsWindowVisible(o.window), what + ": the window opened hidden");
  expect(!out.emailPending, what + ": the e-mail flag stays set");
  expect(out.records.empty() && out.unsent.empty(), what + ": logged " + out.records);
}

const std::string kSaved =
    httpReply("200 OK", "<?xml version=\"1.0\"?><clip>" + std::string(kId) + "</clip>");

// The service receives the clip document, versioned, with the browser it came from last.
std::string checkSave(Exchange& exchange) {
  const Outcome out = exchange.save(kSaved);
  expectSaved(out, "an e-mailed clip");
  expect(out.line == "POST /clip_mozilla_save.aspx HTTP/1.1", "the service was asked " + out.line);
  xml::Document body = xml::Document::Create();
  expect(body.loadXML(out.body), "the service received no XML: " + out.body);
  const xml::Node root = body.documentElement();
  const xml::NodeList children = root.childNodes();
  const xml::Node last = children.item(children.length() - 1);
  const std::string got = root.getAttribute("version").value_or("") + "|" + last.nodeName() + "|" +
                          last.selectSingleNode("userAgent").text() + "|" +
                          root.selectSingleNode("frame/content").text();
  const std::string wanted =
      std::string("3.0.0|client|") + kAgent + "|" + std::string(kCharacters, 'x');
  expect(got == wanted, "the service received " + got + ", not " + wanted);
  return out.body;
}

// A save the service did not take opens nothing, leaves one record with its status and keeps
// the clip as it was sent in unsent/, once: when its answer comes, or else when the toolbar goes.
// The next save goes through.
void checkFailedSaves(Exchange& exchange, const std::string& sent) {
  const struct {
    std::string name, reply;
    bool answered;
    std::string record;
  } cases[] = {
      {"a service answering 500 with an identifier",
       httpReply("500 Internal Server Error", "<clip>" + std::string(kId) + "</clip>"), true,
       "evtSaveClip_OnEvent()|status 500\n"},
      {"an answer without a root element", httpReply("200 OK", "saved"), true,
       "evtSaveClip_OnEvent()|status 200\n"},
      {"no service listening, never answered on Wine", "", false, ""},
  };
  const std::string clip = rootOf(sent);
  for (const auto& c : cases) {
    const std::vector<fs::path> kept = exchange.folder.files();
    const Outcome out =
        exchange.save(c.reply, c.answered ? std::chrono::seconds(20) : std::chrono::seconds(2));
    expect(out.opened.empty(), c.name + ": a window opened");
    expect(out.records == c.record, c.name + ": the log holds\n" + out.records);
    expect(out.emailPending != c.answered, c.name + ": the e-mail flag is not as answered");
    exchange.resite();
    const std::vector<fs::path> unsent = exchange.folder.filesSince(kept);
    expect(
        unsent.size() == 1 && !clip.empty() &&
            rootOf(win32::narrow(unsent[0].c_str()), true) == clip,
        c.name + ": " + std::to_string(unsent.size()) + " files in unsent/, or not the clip sent");
    expectSaved(exchange.save(kSaved), c.name + ", then a save");
  }
}

}  // namespace

void runExchangeChecks() {
  const Winsock winsock;
  Exchange exchange;
  std::string sent;
  attempt("save", [&] { sent = checkSave(exchange); });
  attempt("failed saves", [&] { checkFailedSaves(exchange, sent); });
}

}  // namespace smoke
