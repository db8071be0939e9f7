// Markup and text of the tree, the way the original object model wrote them: upper-case tag
// names, attribute values quoted only where they must be, CRLF line breaks in innerText.
#include <map>
#include <string>

#include "headless/dom.h"
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

// Rendered text: white space collapsed, blocks and BR on lines of their own (CRLF), hidden
// elements left out, no line break at either end.
std::string innerText(const Node* node) {
  if (node->kind == Kind::Text) return node->data;
  std::string out;
  bool pendingSpace = false, pendingBreak = false;
  const auto lineBreak = [&] {
    if (!out.empty()) pendingBreak = true;
    pendingSpace = false;
  };
  const auto write = [&](char c) {
    if (pendingBreak)
      out += "\r\n";
    else if (pendingSpace)
      out += ' ';
    pendingBreak = pendingSpace = false;
    out += c;
  };
  walk(
      const_cast<Node*>(node),
      [&](Node* n) {
        if (hidden(n)) return false;
        if (n->is("BR")) {
          out += "\r\n";
          pendingBreak = pendingSpace = false;
        } else if (isBlock(n)) {
          lineBreak();
        } else if (n->kind == Kind::Text) {
          for (char c : n->data) {
            if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f')
              pendingSpace = !out.empty();
            else
              write(c);
          }
        }
        return n->isElement();
      },
      [&](Node* n) {
        if (isBlock(n)) lineBreak();
      });
  return out;
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
