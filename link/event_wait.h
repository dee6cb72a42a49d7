#pragma once

#include <functional>

class QEventLoop;

// A wait that keeps the window responsive: a nested event loop that ends as
// soon as its condition holds. Whoever changes what the condition reads calls
// sveglia(). Only one wait runs at a time.
class AttesaEventi
{
public:
    // Processes events until `finita` returns true (at least one pass).
    // Returns false when the wait was broken off by interrompi().
    bool attendi(const std::function<bool()> &finita);

    // Re-tests the condition of the running wait.
    void sveglia();

    // Ends the running wait and every later one at once: the program is ending.
    void interrompi();

    bool interrotta() const { return m_interrotta; }

private:
    QEventLoop *m_loop = nullptr;
    std::function<bool()> m_finita;
    bool m_interrotta = false;
};
