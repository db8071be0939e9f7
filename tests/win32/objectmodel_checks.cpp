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

void answerAll(const Scripted& object, const objectmodel::Members& members) {
  for (const auto& [member, raw] : members)
    raw.kind == objectmodel::Raw::Kind::Failure ? object->fail(member, raw.hresult)
                                                : object->answer(member, valueOf(raw));
}

// A control names its class through its class information; its dispinterface has a name of its
// own ("IShockwaveFlash"), which is not the type name.
Scripted playerOf(const objectmodel::Engine& engine) {
  auto player = ScriptedObject::make();
  player->typeNamed(std::string("I") + engine.player).classNamed(engine.player);
  for (const auto& [path, raw] : engine.playerMembers) {
    const std::size_t dot = path.find('.');
    if (dot == std::string::npos) {
      answerAll(player, {{path, raw}});
      continue;
    }
    auto inner = ScriptedObject::make();
    answerAll(inner, {{path.substr(dot + 1), raw}});
    player->answer(path.substr(0, dot), inner);
  }
  return player;
}

Scripted engineOf(const objectmodel::Row& row) {
  auto object = ScriptedObject::make();
  answerAll(object, row.engine.members);
  for (const auto& [name, raw] : row.engine.attributes) object->attribute(name, valueOf(raw));
  if (row.engine.type) object->typeNamed(row.engine.type);
  if (row.engine.player) object->answer("object", playerOf(row.engine));
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
