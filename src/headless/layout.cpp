// The headless layout: deterministic, linear in the size of the page, iterative (no recursion,
// so any depth lays out), recomputed only when the document changed since the last geometry
// read (DocumentData::layoutDirty). Boxes are in document coordinates; client coordinates
// subtract the page's scroll offsets. The rules:
//
//  1. Viewport DocumentData::viewportWidth x viewportHeight (1024 x 768 by default). HTML is
//     the viewport's width and at least its height; BODY has a margin of 8 on every side and is
//     at least the viewport's height less its margins. No other element has margins, padding
//     or borders (border widths are ignored: clientLeft/Top are 0).
//  2. Not rendered (no box, Box::rendered false, nor anything inside): display:none, HEAD,
//     SCRIPT, STYLE, TITLE, META, LINK, BASE, NOSCRIPT, TEMPLATE, PARAM, COL, COLGROUP, AREA,
//     SOURCE, TRACK, NOFRAMES, INPUT type=hidden; comments.
//  3. Blocks (dom::isBlock, or style display block/list-item/flex/grid/table*) stack
//     vertically from their container's top at its full content width; style width (px, or %
//     of the container) and height (px) are honoured, otherwise the height is the content's.
//     HR without a style height is 2 tall. display inline/inline-block makes any element
//     inline. Floats, text-align, vertical-align and relative offsets are not modelled.
//  4. Inline content flows in lines from the container's left edge: every character advances
//     7 px (UTF-8 code points), a line is 16 px tall unless an atomic inline on it is taller,
//     and everything on a line is aligned to its top. White space collapses to one space,
//     dropped at the start and at the end of a line; a word that does not fit on a line that
//     has content goes to the next line; a word longer than a whole line is cut after as many
//     characters as fit (at least one). In PRE (and white-space:pre) spaces are kept, each
//     line feed ends a line and nothing wraps. BR ends its line (an empty line is 16 tall).
//     A block inside an inline element ends the line; the inline continues after it.
//  5. A text node's box is the union of its runs; an inline element's box is the union of
//     what it holds: per line from its first to its last content, the line's full height, plus
//     the blocks inside it. getClientRects gives one rectangle per line. An empty inline
//     element is an empty box where it starts.
//  6. Atomic inlines are placed like a word of their size: IMG 0 x 0, IFRAME/OBJECT/EMBED/
//     APPLET/VIDEO/CANVAS 300 x 150, INPUT/SELECT/TEXTAREA 140 x 16, FRAME the container's
//     width x the viewport's height, unless style width/height (px, % of the container width)
//     or the width/height attributes say otherwise. What lies inside them is not rendered.
//  7. Tables: as wide as their width attribute or style (px, %), else their container. The
//     columns are the widest row's, counting colspan and cells that span rows from above. A
//     column whose single-column cells give a width (attribute or style) takes the largest of
//     those; the other columns share the rest equally (the first ones a pixel narrower when it
//     does not divide). A row is as tall as its tallest single-row cell (or its style height,
//     if larger), and every single-row cell takes the row's height; a cell spanning rows is
//     as tall as those rows and its content does not make them taller. Cell content is
//     top-aligned; cellspacing, cellpadding and borders are ignored. Row groups (THEAD, TBODY,
//     TFOOT) enclose their rows; CAPTION is a block at the table's top. Anything else directly
//     in a table, group or row is not rendered.
//  8. position:absolute (and fixed, treated alike) takes style left/top (px) relative to the
//     document, else where it would have started in flow; style width (px, % of the
//     container), else its container's width; style height, else its content's. It does not
//     move anything in flow. Other position values lay out in flow.
//  9. Paint order, for elementFromPoint: the normal flow in document order, then absolutely
//     positioned elements in order of style z-index (ties in document order), each with what
//     it holds. The topmost box holding the point wins (a box holds [left, right) x [top,
//     bottom)); an inline on several lines holds only its line rectangles. Text nodes are
//     never the answer; outside every box there is none.
// 10. The page is as large as HTML and every absolutely positioned box; the page scroll is
//     clamped to it less the viewport.
#include "headless/layout.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "runtime/strings.h"

namespace headless::dom {
namespace {

constexpr long kHrHeight = 2;
constexpr long kLimit = 1000000000L;  // lengths beyond this are clamped

bool tagIn(const Node* n, std::initializer_list<std::string_view> tags) {
  for (std::string_view t : tags)
    if (n->tag == t) return true;
  return false;
}

std::string lowerStyle(const Node* n, std::string_view name) {
  return n->style.empty() ? std::string() : platform::lowerAscii(styleValue(n, name));
}

// "12", "12px", "12.6px" -> 12 / 13; "50%" -> half of percentBase when there is one.
std::optional<long> length(std::string_view text, std::optional<long> percentBase) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  if (text.empty()) return std::nullopt;
  const std::string s(text);
  char* end = nullptr;
  const double value = std::strtod(s.c_str(), &end);
  if (end == s.c_str() || !std::isfinite(value)) return std::nullopt;
  const std::string unit = platform::lowerAscii(end);
  double px;
  if (unit.empty() || unit == "px")
    px = value;
  else if (unit == "%" && percentBase)
    px = static_cast<double>(*percentBase) * value / 100.0;
  else
    return std::nullopt;
  return std::lround(std::clamp(px, -static_cast<double>(kLimit), static_cast<double>(kLimit)));
}

std::optional<long> styleLength(const Node* n, std::string_view name,
                                std::optional<long> percentBase = std::nullopt) {
  if (n->style.empty()) return std::nullopt;
  return length(styleValue(n, name), percentBase);
}

// Style first, then the attribute of the same name.
std::optional<long> styleOrAttribute(const Node* n, std::string_view name,
                                     std::optional<long> percentBase) {
  if (auto v = styleLength(n, name, percentBase)) return v;
  if (const std::string* a = findAttribute(n, name)) return length(*a, percentBase);
  return std::nullopt;
}

long spanOf(const Node* cell, std::string_view name, long most) {
  const std::string* v = findAttribute(cell, name);
  if (!v) return 1;
  const long n = std::strtol(v->c_str(), nullptr, 10);
  return std::clamp(n, 1L, most);
}

bool notRendered(const Node* n) {
  if (!n->isElement()) return true;
  if (tagIn(n, {"HEAD", "SCRIPT", "STYLE", "TITLE", "META", "LINK", "BASE", "NOSCRIPT", "TEMPLATE",
                "PARAM", "COL", "COLGROUP", "AREA", "SOURCE", "TRACK", "NOFRAMES"}))
    return true;
  if (n->is("INPUT")) {
    const std::string* type = findAttribute(n, "type");
    if (type && platform::equalsNoCase(*type, "hidden")) return true;
  }
  return lowerStyle(n, "display") == "none";
}

bool isAbsolute(const Node* n) {
  const std::string p = lowerStyle(n, "position");
  return p == "absolute" || p == "fixed";
}

bool isReplaced(const Node* n) {
  return tagIn(n, {"IMG", "IFRAME", "OBJECT", "EMBED", "APPLET", "VIDEO", "CANVAS", "INPUT",
                   "SELECT", "TEXTAREA", "FRAME"});
}

enum class Display { Inline, Block, Table };

Display displayOf(const Node* n) {
  const std::string d = lowerStyle(n, "display");
  if (d == "inline" || d.rfind("inline-", 0) == 0) return Display::Inline;
  if (n->is("TABLE")) return Display::Table;
  if (d == "block" || d == "list-item" || d == "flex" || d == "grid" || d.rfind("table", 0) == 0)
    return Display::Block;
  return isBlock(n) || n->is("FRAMESET") ? Display::Block : Display::Inline;
}

bool isSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

struct Extent {
  bool empty = true;
  long left = 0, top = 0, right = 0, bottom = 0;
  void add(long l, long t, long r, long b) {
    if (empty) {
      *this = {false, l, t, r, b};
      return;
    }
    left = std::min(left, l);
    top = std::min(top, t);
    right = std::max(right, r);
    bottom = std::max(bottom, b);
  }
  void add(const Box& b) { add(b.left, b.top, b.left + b.width, b.top + b.height); }
};

enum class FrameKind : std::uint8_t { Block, Inline, Table, Group, Row };
enum class Role : std::uint8_t { Plain, Viewport, Root, Body, Cell, Caption, Absolute };

// An element being laid out (or the viewport at the bottom of the stack).
struct Frame {
  Node* node = nullptr;
  FrameKind kind = FrameKind::Block;
  Role role = Role::Plain;
  bool pre = false;
  const Node* layer = nullptr;
  // Block, Table: the frame whose flow it advances. Inline: the block whose lines it is on.
  // Group, Row: the table.
  std::size_t outer = 0;
  // Block, Table: the content box and the top of what comes next. Row, Group: top.
  long x = 0, width = 0, y = 0, top = 0;
  // Block: the open line.
  bool lineOpen = false, lineHasContent = false, pendingSpace = false;
  std::uint32_t line = 0, lastItemLine = 0;
  long cx = 0, lastItemRight = 0;
  // Inline: where its content starts, the widest line finished inside it, the blocks in it,
  // and where it would be if it stayed empty.
  bool started = false;
  std::uint32_t firstLine = 0;
  long startX = 0, maxRight = LONG_MIN, emptyX = 0, emptyY = 0;
  Extent blocks;
  // Table: column edges, the row up to which each column is taken by a cell from above,
  // the current row.
  std::vector<long> edges;
  std::vector<std::size_t> busyUntil;
  std::size_t rowIndex = 0;
  // Table: cells spanning rows, a heap by the last row they span (the earliest on top).
  std::vector<std::pair<std::size_t, Node*>> spanning;
  // Row: the next column and the tallest cell. Cell: its row span.
  std::size_t column = 0;
  long rowHeight = 0;
  long rowSpan = 1;
};

class Layout {
 public:
  explicit Layout(DocumentData& doc) : doc_(doc) {}
  void run();

 private:
  bool enter(Node* n);
  void leave();

  void mark(Node* n, const Node* layer, bool inFlowInline = false);
  std::size_t contextOf(std::size_t frame) const;
  std::size_t push(Frame f);

  void openBlock(Node* n, std::size_t parent, Role role);
  void openBlockAt(Node* n, std::size_t parent, Role role, Display display, long left, long top,
                   long width, std::size_t outer, const Node* layer);
  void leaveBlock();
  void openInline(Node* n, std::size_t parent);
  void leaveInline();
  bool openAbsolute(Node* n, std::size_t parent);
  void openRow(Node* n, std::size_t parent);
  void leaveRow();
  void openCell(Node* n, std::size_t row);
  void prepareTable(Frame& table);

  void text(Node* n, std::size_t parent);
  void word(std::size_t ctx, long chars);
  void atomic(Node* n, std::size_t parent, long w, long h);
  void lineBreak(Node* n, std::size_t parent);

  void openLine(std::size_t ctx);
  void closeLine(std::size_t ctx);
  long place(std::size_t ctx, long space, long w, long h);
  std::pair<long, long> replacedSize(const Node* n, long containerWidth) const;

  DocumentData& doc_;
  std::vector<Frame> stack_;
  std::vector<Node*> patch_;       // inlines whose last line may still grow
  std::vector<Node*> positioned_;  // absolutely positioned, document order
};

void Layout::mark(Node* n, const Node* layer, bool inFlowInline) {
  n->box = Box{};
  n->box.rendered = true;
  n->box.layer = layer;
  n->box.inFlowInline = inFlowInline;
  doc_.laidOut.push_back(n);
}

std::size_t Layout::contextOf(std::size_t i) const {
  return stack_[i].kind == FrameKind::Inline ? stack_[i].outer : i;
}

std::size_t Layout::push(Frame f) {
  stack_.push_back(std::move(f));
  return stack_.size() - 1;
}

void Layout::run() {
  Frame viewport;
  viewport.node = doc_.root;
  viewport.role = Role::Viewport;
  viewport.width = doc_.viewportWidth;
  push(std::move(viewport));

  Node* const root = doc_.root;
  Node* n = root->first;
  while (n) {
    if (enter(n)) {
      if (n->first) {
        n = n->first;
        continue;
      }
      leave();
    }
    while (!n->next) {
      n = n->parent;
      if (n == root) break;
      leave();
    }
    if (n == root) break;
    n = n->next;
  }

  // The last line of an inline may have grown after the inline ended.
  for (Node* p : patch_) {
    const LineBox& last = doc_.lines[p->box.lastLine];
    const long bottom = std::max(p->box.top + p->box.height, last.top + last.height);
    p->box.height = bottom - p->box.top;
  }

  long pageWidth = doc_.viewportWidth, pageHeight = doc_.viewportHeight;
  for (Node* c = root->first; c; c = c->next) {
    if (c->isElement() && c->box.rendered) {
      pageWidth = std::max(pageWidth, c->box.left + c->box.width);
      pageHeight = std::max(pageHeight, c->box.top + c->box.height);
    }
  }
  std::stable_sort(positioned_.begin(), positioned_.end(), [](const Node* a, const Node* b) {
    const auto z = [](const Node* n) {
      return std::strtol(styleValue(n, "z-index").c_str(), nullptr, 10);
    };
    return z(a) < z(b);
  });
  std::uint32_t rank = 0;
  for (Node* p : positioned_) {
    p->box.stack = ++rank;
    pageWidth = std::max(pageWidth, p->box.left + p->box.width);
    pageHeight = std::max(pageHeight, p->box.top + p->box.height);
  }
  doc_.pageWidth = pageWidth;
  doc_.pageHeight = pageHeight;
}

bool Layout::enter(Node* n) {
  const std::size_t parent = stack_.size() - 1;
  const FrameKind pk = stack_[parent].kind;
  const bool inTable = pk == FrameKind::Table || pk == FrameKind::Group || pk == FrameKind::Row;
  if (n->kind == Kind::Text) {
    if (!inTable) text(n, parent);
    return false;
  }
  if (notRendered(n)) return false;
  if (isAbsolute(n)) return openAbsolute(n, parent);
  if (inTable) {
    if (pk == FrameKind::Row) {
      if (!n->is("TD") && !n->is("TH")) return false;
      openCell(n, parent);
      return true;
    }
    if (n->is("TR")) {
      openRow(n, parent);
      return true;
    }
    if (pk == FrameKind::Table && tagIn(n, {"THEAD", "TBODY", "TFOOT"})) {
      const Frame& table = stack_[parent];
      Frame g;
      g.node = n;
      g.kind = FrameKind::Group;
      g.outer = parent;
      g.top = table.y;
      g.layer = table.layer;
      mark(n, table.layer);
      n->box.left = table.x;
      n->box.top = table.y;
      n->box.width = table.width;
      push(std::move(g));
      return true;
    }
    if (pk == FrameKind::Table && n->is("CAPTION")) {
      openBlock(n, parent, Role::Caption);
      return true;
    }
    return false;
  }
  if (isReplaced(n)) {
    const auto [w, h] = replacedSize(n, stack_[contextOf(parent)].width);
    atomic(n, parent, w, h);
    return false;
  }
  if (n->is("BR")) {
    lineBreak(n, parent);
    return false;
  }
  const Role role = n->parent == doc_.root ? Role::Root : n->is("BODY") ? Role::Body : Role::Plain;
  if (role == Role::Plain && displayOf(n) == Display::Inline) {
    openInline(n, parent);
    return true;
  }
  openBlock(n, parent, role);
  return true;
}

void Layout::leave() {
  switch (stack_.back().kind) {
    case FrameKind::Block:
    case FrameKind::Table:
      leaveBlock();
      break;
    case FrameKind::Inline:
      leaveInline();
      break;
    case FrameKind::Row:
      leaveRow();
      break;
    case FrameKind::Group: {
      const Frame& g = stack_.back();
      g.node->box.height = stack_[g.outer].y - g.top;
      stack_.pop_back();
      break;
    }
  }
}

// Blocks

void Layout::openBlock(Node* n, std::size_t parent, Role role) {
  // The container: a block (whose open line the block ends), or the table of a caption.
  const std::size_t outer = contextOf(parent);
  if (stack_[outer].kind == FrameKind::Block) closeLine(outer);
  const Frame& c = stack_[outer];
  long left = c.x, top = c.y, width = c.width;
  if (role == Role::Body) {
    left += kBodyMargin;
    top += kBodyMargin;
    width -= 2 * kBodyMargin;
  }
  const Display display =
      role == Role::Caption || role == Role::Root ? Display::Block : displayOf(n);
  if (auto w = display == Display::Table ? styleOrAttribute(n, "width", c.width)
                                         : styleLength(n, "width", c.width))
    width = *w;
  openBlockAt(n, parent, role, display, left, top, width, outer, stack_[parent].layer);
}

void Layout::openBlockAt(Node* n, std::size_t parent, Role role, Display display, long left,
                         long top, long width, std::size_t outer, const Node* layer) {
  Frame f;
  f.node = n;
  f.kind = display == Display::Table ? FrameKind::Table : FrameKind::Block;
  f.role = role;
  f.pre = stack_[parent].pre || keepsWhiteSpace(n);
  f.layer = layer;
  f.outer = outer;
  f.x = left;
  f.y = f.top = top;
  f.width = std::max(0L, width);
  mark(n, layer);
  n->box.left = left;
  n->box.top = top;
  n->box.width = f.width;
  if (f.kind == FrameKind::Table) prepareTable(f);
  push(std::move(f));
}

void Layout::leaveBlock() {
  const std::size_t self = stack_.size() - 1;
  if (stack_[self].kind == FrameKind::Block) closeLine(self);
  Frame& f = stack_[self];
  Node* n = f.node;
  const long content = f.y - f.top;
  long h = content;
  if (auto sh = styleLength(n, "height"))
    h = f.kind == FrameKind::Table ? std::max(content, *sh) : *sh;
  else if (n->is("HR"))
    h = kHrHeight;
  if (f.role == Role::Body || n->is("FRAMESET"))
    h = std::max(h, doc_.viewportHeight - (f.role == Role::Body ? 2 * kBodyMargin : 0));
  if (f.role == Role::Root) h = std::max(h, doc_.viewportHeight);
  h = std::max(0L, h);
  n->box.height = h;
  if (f.kind == FrameKind::Table) {
    // Cells spanning rows past the last one end with the table.
    for (const auto& [lastRow, cell] : f.spanning)
      cell->box.height = std::max(0L, f.top + h - cell->box.top);
  }
  const Role role = f.role;
  const std::size_t outer = f.outer;
  const long rowSpan = f.rowSpan;
  const long bottom = f.top + h;
  stack_.pop_back();

  switch (role) {
    case Role::Absolute:
      return;
    case Role::Cell:
      if (rowSpan == 1) stack_[outer].rowHeight = std::max(stack_[outer].rowHeight, h);
      return;
    default:
      stack_[outer].y = bottom + (role == Role::Body ? kBodyMargin : 0);
      break;
  }
  Frame& p = stack_.back();
  if (p.kind == FrameKind::Inline) p.blocks.add(n->box);
}

bool Layout::openAbsolute(Node* n, std::size_t parent) {
  // Where it would have started in flow, and the width of its container.
  const Frame& p = stack_[parent];
  long sx, sy, cw;
  if (p.kind == FrameKind::Block || p.kind == FrameKind::Inline) {
    const Frame& c = stack_[contextOf(parent)];
    sx = c.lineOpen ? c.cx : c.x;
    sy = c.lineOpen ? doc_.lines[c.line].top : c.y;
    cw = c.width;
  } else {
    const Frame& t = p.kind == FrameKind::Table ? p : stack_[p.outer];
    sx = t.x;
    sy = t.y;
    cw = t.width;
  }
  const long left = styleLength(n, "left").value_or(sx);
  const long top = styleLength(n, "top").value_or(sy);
  positioned_.push_back(n);
  if (isReplaced(n)) {
    const auto [w, h] = replacedSize(n, cw);
    mark(n, n);
    n->box.left = left;
    n->box.top = top;
    n->box.width = w;
    n->box.height = h;
    return false;
  }
  const Display display = displayOf(n) == Display::Table ? Display::Table : Display::Block;
  const long width =
      (display == Display::Table ? styleOrAttribute(n, "width", cw) : styleLength(n, "width", cw))
          .value_or(cw);
  openBlockAt(n, parent, Role::Absolute, display, left, top, width, parent, n);
  return true;
}

// Inline content

void Layout::openInline(Node* n, std::size_t parent) {
  const std::size_t ctx = contextOf(parent);
  const Frame& c = stack_[ctx];
  Frame f;
  f.node = n;
  f.kind = FrameKind::Inline;
  f.outer = ctx;
  f.layer = stack_[parent].layer;
  f.pre = stack_[parent].pre || keepsWhiteSpace(n);
  f.emptyX = c.lineOpen ? c.cx : c.x;
  f.emptyY = c.lineOpen ? doc_.lines[c.line].top : c.y;
  mark(n, f.layer, true);
  push(std::move(f));
}

void Layout::leaveInline() {
  const std::size_t self = stack_.size() - 1;
  Frame& f = stack_[self];
  const Frame& c = stack_[f.outer];
  Node* n = f.node;
  Extent e = f.blocks;
  if (f.started) {
    Box& b = n->box;
    b.onLines = true;
    b.firstLine = f.firstLine;
    b.lastLine = c.lastItemLine;
    b.startX = f.startX;
    b.endX = c.lastItemRight;
    const LineBox& first = doc_.lines[b.firstLine];
    const LineBox& last = doc_.lines[b.lastLine];
    e.add(b.firstLine == b.lastLine ? b.startX : first.left, first.top,
          std::max(b.endX, f.maxRight), last.top + last.height);
    patch_.push_back(n);
  } else if (e.empty) {
    e.add(f.emptyX, f.emptyY, f.emptyX, f.emptyY);
  }
  n->box.left = e.left;
  n->box.top = e.top;
  n->box.width = e.right - e.left;
  n->box.height = e.bottom - e.top;
  Frame& p = stack_[self - 1];
  if (p.kind == FrameKind::Inline) {
    p.maxRight = std::max(p.maxRight, f.maxRight);
    if (!f.blocks.empty) p.blocks.add(f.blocks.left, f.blocks.top, f.blocks.right, f.blocks.bottom);
  }
  stack_.pop_back();
}

void Layout::openLine(std::size_t ctx) {
  Frame& c = stack_[ctx];
  c.line = static_cast<std::uint32_t>(doc_.lines.size());
  doc_.lines.push_back({c.node, c.x, c.y, c.x, kLineHeight});
  c.lineOpen = true;
  c.lineHasContent = false;
  c.pendingSpace = false;
  c.cx = c.x;
}

void Layout::closeLine(std::size_t ctx) {
  Frame& c = stack_[ctx];
  if (!c.lineOpen) return;
  LineBox& line = doc_.lines[c.line];
  line.right = c.cx;
  c.y = line.top + line.height;
  c.lineOpen = c.lineHasContent = c.pendingSpace = false;
  // The innermost inline that has content on this line holds all of the line after its start.
  for (std::size_t k = stack_.size() - 1; k > ctx; --k) {
    if (stack_[k].started) {
      stack_[k].maxRight = std::max(stack_[k].maxRight, line.right);
      break;
    }
  }
}

// Puts an item of w x h (after space) on the open line; returns its left.
long Layout::place(std::size_t ctx, long space, long w, long h) {
  Frame& c = stack_[ctx];
  c.cx += space;
  const long x = c.cx;
  c.cx += w;
  c.lineHasContent = true;
  c.pendingSpace = false;
  LineBox& line = doc_.lines[c.line];
  line.height = std::max(line.height, h);
  c.lastItemLine = c.line;
  c.lastItemRight = c.cx;
  // Every inline frame above the block is inside it; those still empty start here.
  for (std::size_t k = stack_.size() - 1; k > ctx && !stack_[k].started; --k) {
    stack_[k].started = true;
    stack_[k].firstLine = c.line;
    stack_[k].startX = x;
  }
  return x;
}

void Layout::word(std::size_t ctx, long chars) {
  while (chars > 0) {
    if (!stack_[ctx].lineOpen) openLine(ctx);
    Frame& c = stack_[ctx];
    const long space = c.pendingSpace && c.lineHasContent ? kCharAdvance : 0;
    const long fit = (c.x + c.width - c.cx - space) / kCharAdvance;
    if (chars <= fit) {
      place(ctx, space, chars * kCharAdvance, kLineHeight);
      return;
    }
    if (c.lineHasContent) {
      closeLine(ctx);
      continue;
    }
    const long take = std::max(1L, fit);
    place(ctx, 0, take * kCharAdvance, kLineHeight);
    chars -= take;
    closeLine(ctx);
  }
}

void Layout::text(Node* n, std::size_t parent) {
  const std::size_t ctx = contextOf(parent);
  openInline(n, parent);
  const bool pre = stack_[parent].pre;
  const std::string& s = n->data;
  const std::size_t size = s.size();
  std::size_t i = 0;
  if (pre) {
    while (i <= size) {
      long chars = 0;
      for (; i < size && s[i] != '\n'; ++i)
        if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80 && s[i] != '\r') ++chars;
      if (chars > 0) {
        if (!stack_[ctx].lineOpen) openLine(ctx);
        place(ctx, 0, chars * kCharAdvance, kLineHeight);
      }
      if (i >= size) break;
      if (!stack_[ctx].lineOpen) openLine(ctx);
      closeLine(ctx);
      ++i;
    }
  } else {
    while (i < size) {
      if (isSpace(s[i])) {
        Frame& c = stack_[ctx];
        if (c.lineOpen && c.lineHasContent) c.pendingSpace = true;
        ++i;
        continue;
      }
      long chars = 0;
      for (; i < size && !isSpace(s[i]); ++i)
        if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) ++chars;
      word(ctx, chars);
    }
  }
  leaveInline();
}

void Layout::atomic(Node* n, std::size_t parent, long w, long h) {
  const std::size_t ctx = contextOf(parent);
  {
    Frame& c = stack_[ctx];
    const long space = c.pendingSpace && c.lineHasContent ? kCharAdvance : 0;
    if (c.lineOpen && c.lineHasContent && c.cx + space + w > c.x + c.width) closeLine(ctx);
  }
  if (!stack_[ctx].lineOpen) openLine(ctx);
  Frame& c = stack_[ctx];
  const long space = c.pendingSpace && c.lineHasContent ? kCharAdvance : 0;
  mark(n, stack_[parent].layer);
  const long x = place(ctx, space, w, h);
  n->box.left = x;
  n->box.top = doc_.lines[c.line].top;
  n->box.width = w;
  n->box.height = h;
}

void Layout::lineBreak(Node* n, std::size_t parent) {
  const std::size_t ctx = contextOf(parent);
  if (!stack_[ctx].lineOpen) openLine(ctx);
  mark(n, stack_[parent].layer, true);
  n->box.left = place(ctx, 0, 0, kLineHeight);
  n->box.top = doc_.lines[stack_[ctx].line].top;
  n->box.height = kLineHeight;
  closeLine(ctx);
}

std::pair<long, long> Layout::replacedSize(const Node* n, long containerWidth) const {
  long w = 0, h = 0;
  if (tagIn(n, {"IFRAME", "OBJECT", "EMBED", "APPLET", "VIDEO", "CANVAS"})) {
    w = 300;
    h = 150;
  } else if (tagIn(n, {"INPUT", "SELECT", "TEXTAREA"})) {
    w = 140;
    h = kLineHeight;
  } else if (n->is("FRAME")) {
    w = containerWidth;
    h = doc_.viewportHeight;
  }
  w = styleOrAttribute(n, "width", containerWidth).value_or(w);
  h = styleOrAttribute(n, "height", std::nullopt).value_or(h);
  return {std::max(0L, w), std::max(0L, h)};
}

// Tables

template <class Visit>
void forEachRow(Node* table, Visit visit) {
  const auto skipped = [](const Node* n) { return notRendered(n) || isAbsolute(n); };
  for (Node* c = table->first; c; c = c->next) {
    if (!c->isElement() || skipped(c)) continue;
    if (c->is("TR")) {
      visit(c);
    } else if (tagIn(c, {"THEAD", "TBODY", "TFOOT"})) {
      for (Node* r = c->first; r; r = r->next)
        if (r->is("TR") && !skipped(r)) visit(r);
    }
  }
}

template <class Visit>
void forEachCell(Node* row, Visit visit) {
  for (Node* c = row->first; c; c = c->next)
    if ((c->is("TD") || c->is("TH")) && !notRendered(c) && !isAbsolute(c)) visit(c);
}

constexpr long kMostColumns = 1000;
constexpr long kMostRows = 65534;

// The cells' columns: the first free column of the row at or after `column`.
std::size_t freeColumn(const std::vector<std::size_t>& busyUntil, std::size_t column,
                       std::size_t row) {
  while (column < busyUntil.size() && busyUntil[column] > row) ++column;
  return column;
}

void takeColumns(std::vector<std::size_t>& busyUntil, std::size_t column, long span,
                 std::size_t untilRow) {
  if (busyUntil.size() < column + span) busyUntil.resize(column + span, 0);
  for (long k = 0; k < span; ++k) busyUntil[column + k] = untilRow;
}

void Layout::prepareTable(Frame& t) {
  std::vector<std::size_t> busy;
  std::vector<std::optional<long>> fixed;
  std::size_t row = 0, columns = 0;
  forEachRow(t.node, [&](Node* tr) {
    std::size_t column = 0;
    forEachCell(tr, [&](Node* cell) {
      column = freeColumn(busy, column, row);
      const long span = spanOf(cell, "colspan", kMostColumns);
      const long rows = spanOf(cell, "rowspan", kMostRows);
      if (span == 1) {
        if (auto w = styleOrAttribute(cell, "width", t.width)) {
          if (fixed.size() <= column) fixed.resize(column + 1);
          fixed[column] = std::max(fixed[column].value_or(0), std::max(0L, *w));
        }
      }
      takeColumns(busy, column, span, row + rows);
      column += span;
    });
    columns = std::max({columns, column, busy.size()});
    ++row;
  });
  fixed.resize(columns);
  long fixedSum = 0, freeColumns = 0;
  for (const auto& f : fixed) {
    if (f)
      fixedSum += *f;
    else
      ++freeColumns;
  }
  const long rest = std::max(0L, t.width - fixedSum);
  t.edges.assign(1, t.x);
  long k = 0;
  for (const auto& f : fixed) {
    long w;
    if (f) {
      w = *f;
    } else {
      w = rest * (k + 1) / freeColumns - rest * k / freeColumns;
      ++k;
    }
    t.edges.push_back(t.edges.back() + w);
  }
}

void Layout::openRow(Node* n, std::size_t parent) {
  const std::size_t table = stack_[parent].kind == FrameKind::Table ? parent : stack_[parent].outer;
  const Frame& t = stack_[table];
  Frame r;
  r.node = n;
  r.kind = FrameKind::Row;
  r.outer = table;
  r.top = t.y;
  r.layer = t.layer;
  r.pre = t.pre;
  mark(n, t.layer);
  n->box.left = t.x;
  n->box.top = t.y;
  n->box.width = t.width;
  push(std::move(r));
}

void Layout::openCell(Node* n, std::size_t row) {
  Frame& r = stack_[row];
  Frame& t = stack_[r.outer];
  const std::size_t column = freeColumn(t.busyUntil, r.column, t.rowIndex);
  const long span = spanOf(n, "colspan", kMostColumns);
  const long rows = spanOf(n, "rowspan", kMostRows);
  takeColumns(t.busyUntil, column, span, t.rowIndex + rows);
  r.column = column + span;
  const std::size_t last = t.edges.size() - 1;
  const long left = t.edges[std::min(column, last)];
  const long right = t.edges[std::min(column + span, last)];
  if (rows > 1) {
    t.spanning.emplace_back(t.rowIndex + rows - 1, n);
    std::push_heap(t.spanning.begin(), t.spanning.end(), std::greater<>());
  }
  const long top = r.top;
  const Node* layer = r.layer;
  openBlockAt(n, row, Role::Cell, Display::Block, left, top, right - left, row, layer);
  stack_.back().rowSpan = rows;
}

void Layout::leaveRow() {
  Frame& r = stack_.back();
  Frame& t = stack_[r.outer];
  long h = r.rowHeight;
  if (auto sh = styleLength(r.node, "height")) h = std::max(h, *sh);
  forEachCell(r.node, [&](Node* cell) {
    if (cell->box.rendered && spanOf(cell, "rowspan", kMostRows) == 1) cell->box.height = h;
  });
  r.node->box.height = h;
  t.y = r.top + h;
  while (!t.spanning.empty() && t.spanning.front().first <= t.rowIndex) {
    Node* cell = t.spanning.front().second;
    cell->box.height = std::max(0L, t.y - cell->box.top);
    std::pop_heap(t.spanning.begin(), t.spanning.end(), std::greater<>());
    t.spanning.pop_back();
  }
  ++t.rowIndex;
  stack_.pop_back();
}

}  // namespace

bool keepsWhiteSpace(const Node* n) {
  if (tagIn(n, {"PRE", "XMP", "LISTING", "PLAINTEXT"})) return true;
  return lowerStyle(n, "white-space") == "pre";
}

void ensureLayout(DocumentData& doc) {
  if (!doc.layoutDirty) return;
  for (Node* n : doc.laidOut) n->box = Box{};
  doc.laidOut.clear();
  doc.lines.clear();
  Layout(doc).run();
  doc.layoutDirty = false;
  doc.scrollLeft = std::clamp(doc.scrollLeft, 0L, std::max(0L, doc.pageWidth - doc.viewportWidth));
  doc.scrollTop = std::clamp(doc.scrollTop, 0L, std::max(0L, doc.pageHeight - doc.viewportHeight));
}

std::vector<html::Rect> lineRects(const Node* n) {
  std::vector<html::Rect> out;
  const Box& b = n->box;
  if (!b.rendered) return out;
  if (!b.onLines) {
    out.push_back({b.left, b.top, b.left + b.width, b.top + b.height});
    return out;
  }
  const auto& lines = n->doc->lines;
  const Node* owner = lines[b.firstLine].owner;
  for (std::uint32_t i = b.firstLine; i <= b.lastLine; ++i) {
    const LineBox& l = lines[i];
    if (l.owner != owner) continue;  // a line of a block inside the inline
    out.push_back({i == b.firstLine ? b.startX : l.left, l.top, i == b.lastLine ? b.endX : l.right,
                   l.top + l.height});
  }
  return out;
}

bool isInlineFlow(const Node* n) {
  return n->box.rendered && n->box.inFlowInline;
}

Node* elementFromPoint(DocumentData& doc, long x, long y) {
  ensureLayout(doc);
  const long px = x + doc.scrollLeft, py = y + doc.scrollTop;
  const auto holds = [&](long l, long t, long r, long b) {
    return px >= l && px < r && py >= t && py < b;
  };
  Node* best = nullptr;
  std::uint32_t bestRank = 0;
  for (Node* n : doc.laidOut) {
    if (!n->isElement()) continue;
    const Box& b = n->box;
    if (!holds(b.left, b.top, b.left + b.width, b.top + b.height)) continue;
    const std::uint32_t rank = b.layer ? b.layer->box.stack : 0;
    if (best && rank < bestRank) continue;
    if (b.onLines && b.firstLine != b.lastLine) {
      bool hit = false;
      for (const html::Rect& r : lineRects(n)) hit = hit || holds(r.left, r.top, r.right, r.bottom);
      if (!hit) continue;
    }
    best = n;
    bestRank = rank;
  }
  return best;
}

}  // namespace headless::dom
