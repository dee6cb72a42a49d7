#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <optional>

// A command the module takes, told apart by its head and, but for the
// password, by its fixed length.
struct FormatoComando
{
    QByteArray testa;
    int lunghezza = 0; // 0: the password, whose length is only known when the line goes quiet
};

// Every command the module takes.
const QList<FormatoComando> &formati_comando();

// Cuts the byte stream of one connection, which has no framing, into commands.
// Bytes that cannot start a command are dropped as they come, so what waits
// here never exceeds one command.
class DivisoreComandi
{
public:
    static constexpr int lunghezza_massima_password = 256; // "PAS=" included

    void aggiungi(QByteArrayView dati);

    // The next complete command; nothing while what is left may still grow
    // into one. A password is complete as soon as it is the expected one.
    std::optional<QByteArray> prossimo(QByteArrayView password_attesa);

    // The line went quiet: a password under way is taken as it stands,
    // anything else left is dropped.
    std::optional<QByteArray> a_riposo();

    qsizetype in_attesa() const { return m_dati.size() - m_inizio; }
    void azzera();

private:
    QByteArrayView resto() const { return QByteArrayView(m_dati).sliced(m_inizio); }
    void salta_rumore();
    QByteArray preleva(qsizetype lunghezza);

    QByteArray m_dati;
    qsizetype m_inizio = 0; // commands taken are skipped, and cut off only once per arrival
};
