#pragma once

#include <QProcess>
#include <QString>

// kestra-sim, the one beside this program, run quiet as a separate process
// on `porta` of 127.0.0.1, or a free one; in Access Point mode unless
// `opzioni` say otherwise. It is listening once built, unless errore() says why not.
class ProcessoSimulatore
{
public:
    explicit ProcessoSimulatore(const QStringList &opzioni = {}, quint16 porta = 0);
    ~ProcessoSimulatore();
    ProcessoSimulatore(const ProcessoSimulatore &) = delete;
    ProcessoSimulatore &operator=(const ProcessoSimulatore &) = delete;

    const QString &errore() const { return m_errore; }
    quint16 porta() const { return m_porta; }
    // What it has printed since it began to listen, once a line ending in
    // `fine` has come or `ms` have passed.
    QByteArray uscita(const QByteArray &fine, int ms = 2000);

private:
    bool avvia_su_porta(quint16 porta, const QStringList &opzioni);
    void ferma();

    QProcess m_processo;
    quint16 m_porta = 0;
    QString m_errore;
    QByteArray m_letto;
};
