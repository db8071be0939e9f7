// The shared object-model rows against the adapter: each row's engine answers scripted on an
// object, read through the port as on the headless platform.
#include "../objectmodel/rows.h"
#include "check.h"
#include "scripted.h"

namespace smoke {
namespace {

win32::Value valueOf(const objectmodel::Raw& raw) {
  using Kind = objectmodel::Raw::Kind;
  if (raw.kind == Kind::Text) return win32::Value(raw.text);
  if (raw.kind == Kind::Flag) return win32::Value::flag(raw.number != 0);
  if (raw.kind == Kind::Integer) return win32::Value(static_cast<long>(raw.number));
  return raw.kind == Kind::Real ? real(raw.number) : typed(VT_NULL);
}

Scripted engineOf(const objectmodel::Row& row) {
  auto object = ScriptedObject::make();
  for (const auto& [member, raw] : row.engine.members)
    raw.kind == objectmodel::Raw::Kind::Failure ? object->fail(member, raw.hresult)
                                                : object->answer(member, valueOf(raw));
  for (const auto& [name, raw] : row.engine.attributes) object->attribute(name, valueOf(raw));
  if (row.engine.type) object->typeNamed(row.engine.type);
  return object;
}

}  // namespace

void runObjectModelChecks() {
  for (const objectmodel::Row& row : objectmodel::rows()) {
    auto engine = engineOf(row);
    html::Element element = engine->as<html::Element>();
    const std::string answer = objectmodel::outcome([&] { return row.probe(element); });
    expect(answer == row.expected, std::string(row.behaviour) + ": \"" + answer + "\"");
  }
}

}  // namespace smoke
