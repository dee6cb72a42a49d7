#pragma once

#include <QProcess>
#include <QString>

// kestra-sim, the one beside this program, run quiet as a separate process
// on a free port of 127.0.0.1; in Access Point mode unless `opzioni` say otherwise.
class ProcessoSimulatore
{
public:
    ProcessoSimulatore() = default;
    ~ProcessoSimulatore();
    ProcessoSimulatore(const ProcessoSimulatore &) = delete;
    ProcessoSimulatore &operator=(const ProcessoSimulatore &) = delete;

    // Starts it and waits until it listens; false, with the reason in
    // `errore`, when it does not.
    bool avvia(QString &errore, const QStringList &opzioni = {});
    // The same on a port given.
    bool avvia_su_porta(quint16 porta, QString &errore, const QStringList &opzioni = {});

    quint16 porta() const { return m_porta; }
    // What it has printed since it began to listen, once a line ending in
    // `fine` has come or `ms` have passed.
    QByteArray uscita(const QByteArray &fine, int ms = 2000);

private:
    void ferma();

    QProcess m_processo;
    quint16 m_porta = 0;
    QByteArray m_letto;
};
