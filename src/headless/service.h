// Where the headless runs find the Folverra service: the loopback stand-in.
#pragma once

namespace headless {

// Points every service host at 127.0.0.1:port; the domain caption stays the product's.
void UseLoopbackService(int port);

}  // namespace headless
