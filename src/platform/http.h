// The http port: the asynchronous XMLHTTP request (MSXML 3) as the toolbar uses it. State
// changes are delivered on the thread that opened the request, through its message queue,
// as onreadystatechange calls; nothing of the request runs the toolbar's code elsewhere.
// A platform implements every member and the Impl type. No member answers a status; failures
// raise: 91 for a member of Nothing, 5 for a call out of order, and the HRESULTs MSXML raises
// (see runtime/httpsupport.h: a bad address, an answer not there yet, no server reached).
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "runtime/handle.h"

namespace http {

struct RequestImpl;  // what a platform keeps behind a request

class Request : public platform::Handle<RequestImpl> {
 public:
  using Handle::Handle;
  // A new request object (readyState 0).
  static Request Create();

  // Called on every state change, on the opening thread (the request's onreadystatechange,
  // which calls its handler's default member).
  void setOnReadyStateChange(std::function<void()> handler);
  // Readystate 1. Raises on a malformed address. Without user name or password.
  void open(const std::string& method, const std::string& url, bool async);
  // Starts the exchange; states 2, 3 and 4 follow through the opening thread's queue.
  void send(const std::string& body = {});
  void abort();

  int readyState() const;
  // Raise while the answer is not there yet (before state 2), as the request does.
  long status() const;
  std::string statusText() const;
  std::string responseText() const;
};

}  // namespace http
