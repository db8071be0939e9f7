// The html port on MSHTML: every handle holds the object it stands for and reaches its members
// by name.
#pragma once

#include <memory>
#include <string_view>
#include <vector>

#include "platform/html.h"
#include "runtime/implementation.h"
#include "win32/dispatch.h"

namespace win32 {

// What every handle holds.
struct Held {
  com::Ptr<IDispatch> object;
};

}  // namespace win32

namespace html {

struct NodeImpl : win32::Held {};
struct StyleImpl : win32::Held {};
struct ControlImpl : win32::Held {};
struct EventImpl : win32::Held {};
struct TextRangeImpl : win32::Held {};
struct SelectionImpl : win32::Held {};
struct WindowImpl : win32::Held {};

}  // namespace html

namespace win32 {

// The handle of object; Nothing for a null one.
template <class Handle>
Handle wrap(com::Ptr<IDispatch> object) {
  if (!object) return Handle();
  using Impl = typename Handle::Impl;
  return Handle(std::make_shared<Impl>(Impl{{std::move(object)}}));
}

template <class Handle>
Handle wrap(const Value& value) {
  return wrap<Handle>(value.object());
}

// The object a node handle holds; null for Nothing, which goes to members as a null object.
inline com::Ptr<IDispatch> held(const html::Node& node) {
  return node ? platform::implementation(node)->object : com::Ptr<IDispatch>();
}

// The items of a collection, by length and item(i).
std::vector<com::Ptr<IDispatch>> itemsOf(const com::Ptr<IDispatch>& collection);

template <class Handle>
std::vector<Handle> wrapItems(const Value& collection) {
  std::vector<Handle> out;
  for (auto& item : itemsOf(collection.object())) out.push_back(wrap<Handle>(std::move(item)));
  return out;
}

html::Rect rectOf(const com::Ptr<IDispatch>& rect);
// getClientRects of an element or a text range.
std::vector<html::Rect> clientRectsOf(const com::Ptr<IDispatch>& object);

}  // namespace win32

// The files of the adapter reach members by name throughout.
namespace html {

using win32::call;
using win32::get;
using win32::put;
using win32::Value;
using win32::wrap;

}  // namespace html
