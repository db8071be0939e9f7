// HTML parsing with gumbo into the document tree. gumbo builds and frees its own tree
// recursively, so it runs on a thread with a stack large enough for any page we accept; the
// conversion into our tree is iterative.
#include <gumbo.h>
#include <pthread.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "headless/dom.h"
#include "runtime/error.h"
#include "runtime/strings.h"

namespace headless::dom {
namespace {

// Address space only: pages are touched as deep as they nest.
constexpr std::size_t kParserStack = std::size_t{1} << 30;
// gumbo aborts the process past a fixed number of steps (around 150 MB of markup); what lies
// beyond this much of a page is not read, as a truncated download would not be.
constexpr std::size_t kMaxMarkup = std::size_t{64} << 20;

std::string_view readable(std::string_view markup) {
  return markup.substr(0, kMaxMarkup);
}

void runWithLargeStack(const std::function<void()>& work) {
  pthread_attr_t attr;
  pthread_attr_init(&attr);
  pthread_attr_setstacksize(&attr, kParserStack);
  struct Job {
    const std::function<void()>* work;
    std::exception_ptr failure;
  } job{&work, nullptr};
  pthread_t thread;
  const auto entry = [](void* p) -> void* {
    auto* j = static_cast<Job*>(p);
    try {
      (*j->work)();
    } catch (...) {
      j->failure = std::current_exception();
    }
    return nullptr;
  };
  const int rc = pthread_create(&thread, &attr, entry, &job);
  pthread_attr_destroy(&attr);
  if (rc != 0) {
    work();  // no thread to be had: parse here
    return;
  }
  pthread_join(thread, nullptr);
  if (job.failure) std::rethrow_exception(job.failure);
}

std::string tagNameOf(const GumboElement& e) {
  if (e.tag != GUMBO_TAG_UNKNOWN) return gumbo_normalized_tagname(e.tag);
  GumboStringPiece piece = e.original_tag;
  gumbo_tag_from_original_text(&piece);
  return std::string(piece.data, piece.length);
}

Node* convert(DocumentData& doc, const GumboNode* source) {
  switch (source->type) {
    case GUMBO_NODE_ELEMENT:
    case GUMBO_NODE_TEMPLATE: {
      Node* e = doc.create(Kind::Element, tagNameOf(source->v.element));
      const GumboVector& attrs = source->v.element.attributes;
      for (unsigned i = 0; i < attrs.length; ++i) {
        const auto* a = static_cast<const GumboAttribute*>(attrs.data[i]);
        setAttribute(e, a->name, a->value);
      }
      return e;
    }
    case GUMBO_NODE_TEXT:
    case GUMBO_NODE_WHITESPACE:
    case GUMBO_NODE_CDATA:
      return doc.create(Kind::Text, source->v.text.text);
    case GUMBO_NODE_COMMENT:
      return doc.create(Kind::Comment, source->v.text.text);
    default:
      return nullptr;
  }
}

const GumboVector* childrenOf(const GumboNode* n) {
  if (n->type == GUMBO_NODE_DOCUMENT) return &n->v.document.children;
  if (n->type == GUMBO_NODE_ELEMENT || n->type == GUMBO_NODE_TEMPLATE)
    return &n->v.element.children;
  return nullptr;
}

// Copies the children of source below target, depth first, without recursion.
void convertChildren(DocumentData& doc, const GumboNode* source, Node* target) {
  std::vector<std::pair<const GumboNode*, Node*>> stack{{source, target}};
  while (!stack.empty()) {
    auto [from, into] = stack.back();
    stack.pop_back();
    const GumboVector* kids = childrenOf(from);
    if (!kids) continue;
    for (unsigned i = 0; i < kids->length; ++i) {
      const auto* child = static_cast<const GumboNode*>(kids->data[i]);
      Node* made = convert(doc, child);
      if (!made) continue;
      appendChild(into, made);
      if (made->isElement()) stack.emplace_back(child, made);
    }
  }
}

GumboTag contextTag(std::string_view tag) {
  const std::string lower = platform::lowerAscii(tag);
  GumboTag t = gumbo_tag_enum(lower.c_str());
  return t == GUMBO_TAG_UNKNOWN ? GUMBO_TAG_BODY : t;
}

// gumbo copies the stack of open elements into every parse error it records, which makes
// deeply nested pages quadratic; nothing reads the errors.
GumboOptions parserOptions(GumboTag context = GUMBO_TAG_LAST) {
  GumboOptions options = kGumboDefaultOptions;
  options.max_errors = 0;
  options.fragment_context = context;
  return options;
}

}  // namespace

void parseDocument(DocumentData& doc, std::string_view markup) {
  for (Node* c = doc.root->first; c;) {
    Node* next = c->next;
    detach(c);
    c = next;
  }
  runWithLargeStack([&] {
    const GumboOptions options = parserOptions();
    const std::string_view text = readable(markup);
    GumboOutput* out = gumbo_parse_with_options(&options, text.data(), text.size());
    if (!out) platform::raise(platform::kOutOfMemory);
    try {
      convertChildren(doc, out->document, doc.root);
    } catch (...) {
      gumbo_destroy_output(&options, out);
      throw;
    }
    gumbo_destroy_output(&options, out);
  });
  doc.changed();
}

std::vector<Node*> parseFragment(DocumentData& doc, std::string_view markup,
                                 std::string_view context) {
  Node* holder = doc.create(Kind::Element, "DIV");
  runWithLargeStack([&] {
    const GumboOptions options = parserOptions(contextTag(context));
    const std::string_view text = readable(markup);
    GumboOutput* out = gumbo_parse_with_options(&options, text.data(), text.size());
    if (!out) platform::raise(platform::kOutOfMemory);
    // A fragment parse puts the nodes under an HTML root element.
    const GumboNode* root = out->root;
    try {
      convertChildren(doc, root, holder);
    } catch (...) {
      gumbo_destroy_output(&options, out);
      throw;
    }
    gumbo_destroy_output(&options, out);
  });
  std::vector<Node*> nodes;
  while (Node* c = holder->first) {
    detach(c);
    nodes.push_back(c);
  }
  return nodes;
}

}  // namespace headless::dom
