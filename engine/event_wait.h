#pragma once

#include <functional>

// A wait that keeps the window responsive: a nested event loop that sleeps
// while no event comes (the socket, a timer, a click, a dialog closing) and
// tests its condition after every pass, so that nothing has to end it from
// outside: a loop ended by quit() would cost a wake-up of the event loop, and
// a pass more, for every reply of a transfer.
namespace attesa_eventi {
// Processes events until `finita` returns true (at least one pass).
void attendi(const std::function<bool()> &finita);
} // namespace attesa_eventi
