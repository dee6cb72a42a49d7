#pragma once

#include <functional>

// A wait that keeps the window responsive: events are processed, sleeping
// while none comes, until the condition holds. The condition is tested again
// after every pass of the event loop, so nothing has to end the wait from
// outside: a nested QEventLoop ended by quit() would cost a wake-up of the
// event loop, and a pass more, for every reply of a transfer.
namespace attesa_eventi {
// Processes events until `finita` returns true (at least one pass).
void attendi(const std::function<bool()> &finita);
} // namespace attesa_eventi
