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
    void attendi(const std::function<bool()> &finita);

    // Re-tests the condition of the running wait.
    void sveglia();

private:
    QEventLoop *m_loop = nullptr;
    const std::function<bool()> *m_finita = nullptr;
};
