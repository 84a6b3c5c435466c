#pragma once

// How long a network client waits before it gives up, so that a server that
// does not answer fails the step instead of hanging the task.

namespace rv {

struct NetworkTimeouts {
  long connect_seconds = 30;   // to open the connection, TLS included
  long response_seconds = 60;  // for a server reply, and for a transfer that stalls
};

}  // namespace rv
