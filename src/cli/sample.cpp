#include "cli/sample.h"

#include <filesystem>
#include <iostream>
#include <pugixml.hpp>

#include "cli/gestures.h"
#include "cli/report.h"
#include "cli/session.h"
#include "standin/content.h"

namespace cli {
namespace {

constexpr const char* kUsage =
    "usage: folverra sample [--json]\n"
    "\n"
    "The main job, on the sample article bundled beside this program (sample/article.html):\n"
    "loads it with the toolbar band on a stand-in of the Folverra service started in this\n"
    "process, clicks the clip button, clips two paragraphs and the picture, presses Done\n"
    "Clipping and chooses e-mail. Prints what was clipped, the count against the sharing\n"
    "limit, the clip document the service received and the page its answer opened.\n"
    "--json prints the state of folverra clip --json after the clicks as \"clipped\" and after\n"
    "the e-mail as \"sent\".\n";

constexpr const char* kClicks[] = {"#lede", "#ridge", "#hillside"};

// Beside the program itself, wherever the module folder (and with it the error log) was moved.
std::filesystem::path sampleArticle() {
  std::error_code ignored;
  return std::filesystem::read_symlink("/proc/self/exe", ignored).parent_path() / "sample" /
         "article.html";
}

// The words of clipped markup on one line, cut at about width characters.
std::string readable(const std::string& markup, std::size_t width = 70) {
  std::string text = standin::content::wordsOf(markup);
  if (text.size() > width) text = text.substr(0, width - 3) + "...";
  return text;
}

void printClipped(const std::string& clip) {
  pugi::xml_document doc;
  doc.load_string(clip.c_str());
  int n = 0;
  for (const pugi::xml_node frame : doc.document_element().children("frame")) {
    std::cout << "  " << ++n << ". " << frame.child("path").text().get() << "  ";
    if (const pugi::xml_node image = frame.child("image"))
      std::cout << "picture " << std::filesystem::path(image.child_value("src")).filename().string()
                << ", " << image.child_value("width") << " x " << image.child_value("height")
                << ", \"" << image.child_value("alt") << "\"\n";
    else
      std::cout << '"' << readable(frame.child("content").text().get()) << "\"\n";
  }
}

// Indented for reading; the text of the clip's content stays as it was sent.
void printIndented(const std::string& xml) {
  pugi::xml_document doc;
  if (!doc.load_string(xml.c_str(), pugi::parse_default | pugi::parse_ws_pcdata_single)) {
    std::cout << xml << '\n';
    return;
  }
  doc.save(std::cout, "  ", pugi::format_indent | pugi::format_no_declaration);
}

void printForPerson(const std::string& title, const nlohmann::ordered_json& clipped,
                    const nlohmann::ordered_json& sent) {
  std::cout << "Sample article: " << title << "\n  " << sampleArticle().string() << "\n\n"
            << "Clipped with the clip button on, one click each:\n";
  printClipped(clipped["clip"].is_string() ? clipped["clip"].get<std::string>() : "");
  const nlohmann::ordered_json& bar = clipped["clipBar"];
  if (bar.is_object())
    std::cout << "\nCount: " << bar["count"].get<std::string>() << " characters clipped, "
              << bar["remaining"].get<std::string>() << bar["word"].get<std::string>()
              << "the sharing limit of 1000\n";
  std::cout << "\nDone Clipping, e-mail. The service received:\n";
  if (sent["posted"].is_string())
    printIndented(sent["posted"].get<std::string>());
  else
    std::cout << "  nothing\n";
  std::cout << "\nThe page that opened:\n  "
            << (sent["opened"].is_string() ? sent["opened"].get<std::string>() + "\n  \"" +
                                                 sent["openedTitle"].get<std::string>() + "\""
                                           : std::string("none"))
            << '\n';
  for (const auto& file : sent["unsent"])
    std::cout << "Kept unsent: " << file.get<std::string>() << '\n';
  std::cout << "\nErrors logged: " << sent["errors"].size() << '\n';
  for (const auto& e : sent["errors"])
    std::cout << "  " << e["routine"].get<std::string>() << ": " << e["number"] << ' '
              << e["description"].get<std::string>() << '\n';
}

int run(bool json) {
  const std::filesystem::path article = sampleArticle();
  if (!std::filesystem::is_regular_file(article)) {
    std::cerr << "folverra sample: the sample article is missing (" << article.string() << ")\n";
    return 1;
  }
  const std::size_t earlierErrors = loggedErrorCount();
  const std::vector<std::string> earlierUnsent = unsentFiles();
  return withPage(article.string(), [&](headless::BrowserWindow& window) {
    Session session(window);
    session.perform(makeGesture(Gesture::ClipButton, ""));
    for (const char* target : kClicks) session.perform(makeGesture(Gesture::Click, target));
    const auto clipped = clipState(window, session, earlierErrors, earlierUnsent);
    session.perform(makeGesture(Gesture::Done, "email"));
    const auto sent = clipState(window, session, earlierErrors, earlierUnsent);
    if (json)
      std::cout << nlohmann::ordered_json{{"clipped", clipped}, {"sent", sent}}.dump(2) << '\n';
    else
      printForPerson(documents(window.page()).front().title(), clipped, sent);
    return sent["opened"].is_string() ? 0 : 1;
  });
}

}  // namespace

int sample(const std::vector<std::string>& args) {
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
    std::cout << kUsage;
    return 0;
  }
  if (args.size() > 1 || (args.size() == 1 && args[0] != "--json")) {
    std::cerr << "folverra sample: unexpected argument '" << args.back()
              << "' (see folverra sample --help)\n";
    return 2;
  }
  return run(args.size() == 1);
}

}  // namespace cli
