#pragma once

#include <QWidget>

// Marks a conversation with the module for the lifetime of a handler. Waits
// process events, so a click can arrive while another conversation waits for
// its reply: that second conversation is refused instead of nesting its wait
// inside the first.
class Conversazione
{
public:
    explicit Conversazione(bool &in_corso) : m_in_corso(in_corso), m_rifiutata(in_corso)
    {
        m_in_corso = true;
    }
    ~Conversazione()
    {
        if (!m_rifiutata)
            m_in_corso = false;
    }
    Conversazione(const Conversazione &) = delete;
    Conversazione &operator=(const Conversazione &) = delete;

    bool rifiutata() const { return m_rifiutata; }

private:
    bool &m_in_corso;
    bool m_rifiutata;
};

// The hourglass on a window until released or destroyed, so that every way
// out of a handler puts the default pointer back.
class Clessidra
{
public:
    explicit Clessidra(QWidget &finestra) : m_finestra(&finestra) { finestra.setCursor(Qt::WaitCursor); }
    ~Clessidra() { rilascia(); }
    Clessidra(const Clessidra &) = delete;
    Clessidra &operator=(const Clessidra &) = delete;

    void rilascia()
    {
        if (m_finestra)
            m_finestra->unsetCursor();
        m_finestra = nullptr;
    }

private:
    QWidget *m_finestra;
};
