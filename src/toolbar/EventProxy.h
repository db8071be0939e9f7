// The relay between an asynchronous service request and the toolbar: the request calls the
// relay's default member on every state change, and the relay raises its one event.
#pragma once

#include <functional>
#include <memory>

#include "platform/http.h"

class EventProxy {
 public:
  // The event; whoever listens sets it and clears it when it stops listening.
  std::function<void()> OnEvent;

  // The default member.
  void EventCallback() {
    if (OnEvent) OnEvent();
  }

  // Makes proxy the request's onreadystatechange; the request keeps the proxy alive.
  static void Attach(http::Request& request, const std::shared_ptr<EventProxy>& proxy) {
    request.setOnReadyStateChange([proxy] { proxy->EventCallback(); });
  }
};
