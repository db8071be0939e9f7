#include "cli/clip.h"

#include <iostream>

#include "cli/gestures.h"
#include "cli/report.h"
#include "cli/session.h"

namespace cli {
namespace {

constexpr const char* kUsage =
    "usage: folverra clip PAGE [GESTURE...] [--json] [--service URL]\n"
    "\n"
    "Loads PAGE (a path, a file: URL, or an http: URL on loopback) in a headless browser window\n"
    "with the toolbar band sited, on a stand-in of the Folverra service started in this process,\n"
    "then makes each gesture in order, as a user's mouse makes it: through the toolbar's window\n"
    "messages and the page's mouse events.\n"
    "\n"
    "--service URL points the toolbar at a service already running there (for instance\n"
    "folverra serve) instead of the stand-in started in this process.\n"
    "\n"
    "Gestures:\n"
    "  --clip-button     click the toolbar's clip button (the picture shown: it starts clipping,\n"
    "                    or ends it when clipping is on).\n"
    "  --move-to TARGET  move the mouse onto an element: \"#id\" (looked for in the page, then in\n"
    "                    its frames) or an element path of the clip document, such as\n"
    "                    \"ELEMENT-ID[main]/P[0]/\" or \"BODY\". The pointer goes to a point of "
    "the\n"
    "                    element that no child covers, else to its centre.\n"
    "  --move-out        move the mouse out of the page.\n"
    "  --resize WxH      resize the page's area to W x H pixels.\n"
    "  --click TARGET    move onto TARGET and click it with the left button; TARGET may also\n"
    "                    be \"X,Y\", a point in the page's coordinates.\n"
    "  --right-click TARGET  the same with the right button.\n"
    "  --select TARGET   drag over the element's text, from its first point to its last.\n"
    "  --click-overlay N click the picture of the N-th overlay of clipped elements (from 1).\n"
    "  --click-marker N  click a selection marker of the text clip whose index is N.\n"
    "  --page-out FILE   write the page's markup, as it stands after the gestures before it,\n"
    "                    to FILE.\n"
    "  --done CHOICE     press Done Clipping and choose save, email, blog, print or cancel in\n"
    "                    its dialog (with nothing clipped, the prompt's OK), then wait for the\n"
    "                    service's answer and the window it opens.\n"
    "  --over-limit ANSWER  right after --done: answer the over-limit dialog it brings up with\n"
    "                    save-privately or edit-clip.\n"
    "  --slider N        move the context menu's slider to level N (0 is the element the right\n"
    "                    click framed, each level up a larger enclosing one), with the arrow\n"
    "                    keys as a user does; the page frames the level chosen.\n"
    "  --menu-lumora     click the context menu's clip button: clips the level chosen.\n"
    "  --menu-cancel     click the context menu's close button.\n"
    "  --hover-button    click the picture the hover button shows: it clips the video under it,\n"
    "                    unclips it, or says that its embedding is disabled (answered with OK).\n"
    "                    The button comes with --move-to onto a video (EMBED, or OBJECT fully\n"
    "                    loaded, 50 x 50 pixels or more) of a site on the service's video list;\n"
    "                    the embedded stand-in lists localhost, so pages served there qualify.\n"
    "  --selection-button  click the button beside the selection --select made: it clips the\n"
    "                    selection and goes.\n"
    "  --scroll X,Y      scroll the page to X,Y pixels, as its scroll bars do.\n"
    "\n"
    "Then it prints the clipping mode, the clip bar's labels and control rectangles, the four\n"
    "sides of the frame and the framed element, the context menu, the clip document, the hover\n"
    "button, what the last --done posted and opened, and the errors logged.\n"
    "--json prints the same as one JSON object:\n"
    "  mode      0 or 1\n"
    "  clipBar   null, or {count, remaining, word, window, controls {name: [left, top, width,\n"
    "            height, visible]}}; window is [left, top, width, height, visible] in the pane\n"
    "  frame     null, or {left, top, right, bottom: [left, top, width, height, display] as\n"
    "            the border's style holds them, element: null or {path, tag, rect: [left, top,\n"
    "            width, height]} in the page's client area}\n"
    "  contextMenu  null when the menu was never opened, else {shown, position [left, top] on\n"
    "            the screen, levels [{entry, tag, path, column, level}], slider}: levels is the\n"
    "            menu's level list from the element right-clicked upward, each entry as the\n"
    "            menu keeps it (a tag name, COL for a cell's column, - and the tag name for an\n"
    "            element passed over) with the element it stands for (tag and path null once\n"
    "            a clip or the mouse has let go of the element right-clicked), and level the\n"
    "            slider value that chooses it (null when passed over); slider is its value\n"
    "  clip      the clip document's XML text, or null\n"
    "  overlays  [{clipIndex, style, picture}]: the overlays of clipped elements, their style\n"
    "            text and their picture's markup, in the clip's order\n"
    "  markers   [{clipIndex, src}]: the selection markers in the page and its frames\n"
    "  lastPath  the element path the last click's clip carried, or null\n"
    "  hoverButton  null when not loaded, or {shown, picture, rect}: picture is the index shown\n"
    "            (0 clip, 1 unclip, 2 embedding disabled), rect [left, top, width, height] in\n"
    "            the pane\n"
    "  dialogs   the forms the last --done brought up and its choices answered, in order:\n"
    "            frmDoneClipping, frmPleaseClipSomething, frmOverLimit, frmOverLimitBlog\n"
    "  posted    the clip document the embedded stand-in received from the last --done, or null\n"
    "  opened    the address of the window the save's answer opened, or null\n"
    "  openedTitle  the title of that page as served, or null\n"
    "  unsent    the files the toolbar kept beside the error log because a save failed\n"
    "  errors    [{object, routine, number, description, moreInfo}] logged during the run\n";

struct Options {
  std::string page;
  std::vector<Gesture> gestures;
  bool json = false;
  std::string service;
};

Options parse(const std::vector<std::string>& args) {
  Options o;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--json") {
      o.json = true;
    } else if (a == "--service") {
      if (i + 1 >= args.size() || args[i + 1].empty()) throw UsageError{a + " takes a value"};
      o.service = args[++i];
    } else if (const auto kind = gestureNamed(a)) {
      std::string value;
      if (takesValue(*kind)) {
        if (i + 1 >= args.size() || args[i + 1].empty()) throw UsageError{a + " takes a value"};
        value = args[++i];
      }
      const Gesture g = makeGesture(*kind, value);
      if (g.kind == Gesture::OverLimit) {
        if (o.gestures.empty() || o.gestures.back().kind != Gesture::Done ||
            !o.gestures.back().overLimit.empty())
          throw UsageError{"--over-limit answers the dialog of the --done just before it"};
        o.gestures.back().overLimit = g.argument;
      }
      o.gestures.push_back(g);
    } else if (!a.empty() && a[0] != '-' && o.page.empty()) {
      o.page = a;
    } else {
      throw UsageError{"unexpected argument '" + a + "'"};
    }
  }
  if (o.page.empty()) throw UsageError{"clip needs a page"};
  return o;
}

int run(const Options& o) {
  const std::size_t earlierErrors = loggedErrorCount();
  const std::vector<std::string> earlierUnsent = unsentFiles();
  return withPage(o.page, o.service, [&](headless::BrowserWindow& window) {
    Session session(window);
    try {
      for (const Gesture& g : o.gestures) session.perform(g);
    } catch (const UsageError& e) {
      std::cerr << "folverra: " << e.message << '\n';
      return 2;
    }
    const nlohmann::ordered_json state = clipState(window, session, earlierErrors, earlierUnsent);
    if (o.json)
      std::cout << state.dump(2) << '\n';
    else
      printForPerson(state);
    return 0;
  });
}

}  // namespace

int clip(const std::vector<std::string>& args) {
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
    std::cout << kUsage;
    return 0;
  }
  try {
    return run(parse(args));
  } catch (const UsageError& e) {
    std::cerr << "folverra: " << e.message << " (see folverra clip --help)\n";
    return 2;
  }
}

}  // namespace cli
