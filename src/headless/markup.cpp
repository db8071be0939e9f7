// Markup and text of the tree, the way the original object model wrote them: upper-case tag
// names, attribute values quoted only where they must be; innerText with CRLF line breaks.
#include <algorithm>
#include <map>
#include <string>

#include "headless/dom.h"
#include "headless/layout.h"
#include "runtime/strings.h"

namespace headless::dom {
namespace {

bool isVoid(const std::string& tag) {
  static const char* const kVoid[] = {"AREA",  "BASE",  "BASEFONT", "BGSOUND", "BR",    "COL",
                                      "EMBED", "FRAME", "HR",       "IMG",     "INPUT", "KEYGEN",
                                      "LINK",  "META",  "PARAM",    "SOURCE",  "TRACK", "WBR"};
  for (const char* v : kVoid)
    if (tag == v) return true;
  return false;
}

bool isRawText(const Node* n) {
  return n && (n->is("SCRIPT") || n->is("STYLE") || n->is("XMP") || n->is("PLAINTEXT"));
}

std::string escapeText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

// Unquoted when the value is a plain word, as the original wrote it.
std::string attributeValue(std::string_view value) {
  const bool plain =
      !value.empty() && value.find_first_of(" \t\r\n\"'=<>`&") == std::string_view::npos;
  if (plain) return std::string(value);
  std::string out = "\"";
  for (char c : value) {
    if (c == '"')
      out += "&quot;";
    else if (c == '&')
      out += "&amp;";
    else
      out += c;
  }
  return out + "\"";
}

void openTag(std::string& out, const Node* e) {
  out += '<';
  out += e->tag;
  for (const auto& [name, value] : e->attributes) {
    out += ' ';
    out += name;
    out += '=';
    out += attributeValue(value);
  }
  if (!e->style.empty()) out += " style=\"" + cssText(e) + "\"";
  out += '>';
}

void writeNode(std::string& out, const Node* n) {
  if (n->kind == Kind::Text)
    out += isRawText(n->parent) ? n->data : escapeText(n->data);
  else if (n->kind == Kind::Comment)
    out += "<!--" + n->data + "-->";
  else if (n->isElement())
    openTag(out, n);
}

void closeTag(std::string& out, const Node* n) {
  if (n->isElement() && !isVoid(n->tag)) out += "</" + n->tag + ">";
}

std::string serialise(const Node* root, bool withRoot) {
  std::string out;
  if (withRoot) writeNode(out, root);
  if (root->isElement() && withRoot && isVoid(root->tag)) return out;
  walk(
      const_cast<Node*>(root),
      [&](Node* n) {
        writeNode(out, n);
        return n->isElement() && !isVoid(n->tag);
      },
      [&](Node* n) { closeTag(out, n); });
  if (withRoot) closeTag(out, root);
  return out;
}

bool hidden(const Node* n) {
  return n->isElement() && (n->is("SCRIPT") || n->is("STYLE") || n->is("HEAD") || n->is("TITLE") ||
                            styleValue(n, "display") == "none");
}

}  // namespace

std::string outerHTML(const Node* node) {
  return serialise(node, true);
}
std::string innerHTML(const Node* node) {
  return serialise(node, false);
}

std::string textContent(const Node* node) {
  if (node->kind != Kind::Element && node->kind != Kind::Document) return node->data;
  std::string out;
  forEachBelow(const_cast<Node*>(node), false, [&](Node* n) {
    if (n->kind == Kind::Text) out += n->data;
    return true;
  });
  return out;
}

namespace {

// The text innerText writes, put together piece by piece. Between pieces, elements ask for a
// number of line breaks; a run of such asks writes as many CRLFs as the largest of them, and
// none before the first piece or after the last. Collapsible white space becomes one space
// between words and none at the start or end of a line.
class RenderedText {
 public:
  void requireBreaks(int count) {
    if (count == 0) return;
    breaks_ = std::max(breaks_, count);
    space_ = false;
  }
  void collapsible(std::string_view text) {
    for (char c : text) {
      if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f')
        space_ = !atLineStart();
      else
        put(std::string_view(&c, 1));
    }
  }
  // White space kept, each line feed (LF, CR or CRLF) written as CRLF.
  void preserved(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '\r' || text[i] == '\n') {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        put("\r\n");
      } else {
        put(text.substr(i, 1));
      }
    }
  }
  // A piece of its own (BR's CRLF, a cell's tab), after which a line starts afresh.
  void separator(std::string_view text) {
    space_ = false;
    put(text);
  }
  std::string take() { return std::move(out_); }

 private:
  bool atLineStart() const {
    return out_.empty() || breaks_ > 0 || out_.back() == '\n' || out_.back() == '\t';
  }
  void put(std::string_view piece) {
    if (breaks_ > 0 && !out_.empty()) {
      for (int i = 0; i < breaks_; ++i) out_ += "\r\n";
    } else if (space_) {
      out_ += ' ';
    }
    breaks_ = 0;
    space_ = false;
    out_ += piece;
  }

  std::string out_;
  int breaks_ = 0;
  bool space_ = false;
};

// The line breaks an element asks for before and after its content.
int breaksAround(const Node* n) {
  if (n->is("P")) return 2;
  const std::string display = platform::lowerAscii(styleValue(n, "display"));
  return isBlock(n) || display == "block" || display == "list-item" || display == "table" ? 1 : 0;
}

bool isCell(const Node* n) {
  return n->is("TD") || n->is("TH");
}

// A cell with another shown cell after it in its row is followed by a tab.
bool cellFollows(const Node* cell) {
  for (const Node* n = cell->next; n; n = n->next)
    if (isCell(n) && !hidden(n)) return true;
  return false;
}

bool insidePreformatted(const Node* n) {
  for (; n; n = n->parent)
    if (n->isElement() && keepsWhiteSpace(n)) return true;
  return false;
}

}  // namespace

std::string innerText(const Node* node) {
  if (node->kind == Kind::Text) return node->data;
  RenderedText text;
  int preformatted = insidePreformatted(node) ? 1 : 0;
  walk(
      const_cast<Node*>(node),
      [&](Node* n) {
        if (n->kind == Kind::Text) {
          if (preformatted)
            text.preserved(n->data);
          else
            text.collapsible(n->data);
        }
        if (!n->isElement() || hidden(n)) return false;
        if (n->is("BR")) text.separator("\r\n");
        text.requireBreaks(breaksAround(n));
        if (keepsWhiteSpace(n)) ++preformatted;
        return true;
      },
      [&](Node* n) {
        if (!n->isElement() || hidden(n)) return;
        if (keepsWhiteSpace(n)) --preformatted;
        text.requireBreaks(breaksAround(n));
        if (isCell(n) && cellFollows(n)) text.separator("\t");
      });
  return text.take();
}

std::string typeName(const Node* node) {
  if (!node) return "Nothing";
  switch (node->kind) {
    case Kind::Document:
      return "HTMLDocument";
    case Kind::Text:
      return "HTMLDOMTextNode";
    case Kind::Comment:
      return "HTMLCommentElement";
    case Kind::Element:
      break;
  }
  static const std::map<std::string, std::string> kNames = {
      {"A", "HTMLAnchorElement"},
      {"AREA", "HTMLAreaElement"},
      {"BASE", "HTMLBaseElement"},
      {"BLOCKQUOTE", "HTMLBlockElement"},
      {"BODY", "HTMLBody"},
      {"BR", "HTMLBRElement"},
      {"BUTTON", "HTMLButtonElement"},
      {"CAPTION", "HTMLTableCaption"},
      {"COL", "HTMLTableCol"},
      {"COLGROUP", "HTMLTableCol"},
      {"DD", "HTMLDDElement"},
      {"DIV", "HTMLDivElement"},
      {"DL", "HTMLDListElement"},
      {"DT", "HTMLDTElement"},
      {"EMBED", "HTMLEmbed"},
      {"FONT", "HTMLFontElement"},
      {"FORM", "HTMLFormElement"},
      {"FRAME", "HTMLFrameElement"},
      {"FRAMESET", "HTMLFrameSetSite"},
      {"H1", "HTMLHeaderElement"},
      {"H2", "HTMLHeaderElement"},
      {"H3", "HTMLHeaderElement"},
      {"H4", "HTMLHeaderElement"},
      {"H5", "HTMLHeaderElement"},
      {"H6", "HTMLHeaderElement"},
      {"HEAD", "HTMLHeadElement"},
      {"HR", "HTMLHRElement"},
      {"HTML", "HTMLHtmlElement"},
      {"IFRAME", "HTMLIFrame"},
      {"IMG", "HTMLImg"},
      {"INPUT", "HTMLInputElement"},
      {"LABEL", "HTMLLabelElement"},
      {"LI", "HTMLLIElement"},
      {"LINK", "HTMLLinkElement"},
      {"MAP", "HTMLMapElement"},
      {"META", "HTMLMetaElement"},
      {"OBJECT", "HTMLObjectElement"},
      {"OL", "HTMLOListElement"},
      {"OPTION", "HTMLOptionElement"},
      {"P", "HTMLParaElement"},
      {"PARAM", "HTMLParamElement"},
      {"PRE", "HTMLPhraseElement"},
      {"SCRIPT", "HTMLScriptElement"},
      {"SELECT", "HTMLSelectElement"},
      {"SPAN", "HTMLSpanElement"},
      {"STYLE", "HTMLStyleElement"},
      {"TABLE", "HTMLTable"},
      {"TBODY", "HTMLTableSection"},
      {"TD", "HTMLTableCell"},
      {"TEXTAREA", "HTMLTextAreaElement"},
      {"TFOOT", "HTMLTableSection"},
      {"TH", "HTMLTableCell"},
      {"THEAD", "HTMLTableSection"},
      {"TITLE", "HTMLTitleElement"},
      {"TR", "HTMLTableRow"},
      {"UL", "HTMLUListElement"},
      {"B", "HTMLPhraseElement"},
      {"I", "HTMLPhraseElement"},
      {"EM", "HTMLPhraseElement"},
      {"STRONG", "HTMLPhraseElement"},
      {"U", "HTMLPhraseElement"},
      {"CODE", "HTMLPhraseElement"},
  };
  auto it = kNames.find(node->tag);
  return it == kNames.end() ? "HTMLUnknownElement" : it->second;
}

}  // namespace headless::dom
