#include "sim/module_simulator.h"

#include "sim/reply_delivery.h"

#include <QSaveFile>
#include <QTcpSocket>

namespace {

using Gestore = QByteArray (SimulatoreModulo::*)(const QByteArray &);

struct Effetto
{
    QByteArrayView testa;
    Gestore esegui;
    bool riavvia;      // the module restarts once its reply is out
    bool dispositivo;  // for the device behind the module: no reply until the module lets the client in
    bool mezza_pagina; // the device takes its write time before it answers
};

} // namespace

SimulatoreModulo::SimulatoreModulo(OpzioniSimulatore opzioni, QObject *parent)
    : QTcpServer(parent)
    , m_opzioni(std::move(opzioni))
{
    m_silenzio.setSingleShot(true);
    connect(&m_silenzio, &QTimer::timeout, this, &SimulatoreModulo::a_riposo);
    connect(this, &QTcpServer::newConnection, this, &SimulatoreModulo::accetta);
}

QList<QByteArray> SimulatoreModulo::comandi(QByteArrayView testa) const
{
    QList<QByteArray> scelti;
    for (const QByteArray &comando : m_comandi) {
        if (comando.startsWith(testa))
            scelti.append(comando);
    }
    return scelti;
}

void SimulatoreModulo::azzera_registro()
{
    m_comandi.clear();
}

void SimulatoreModulo::accetta()
{
    while (QTcpSocket *nuovo = nextPendingConnection()) {
        if (m_cliente) {
            m_cliente->abort();
            m_cliente->deleteLater();
        }
        m_cliente = nuovo;
        m_risposte = new CodaRisposte(nuovo, [this](const QByteArray &byte) { emit risposta_inviata(byte); });
        m_autorizzato = m_opzioni.modo == OpzioniSimulatore::Modo::AccessPoint;
        m_divisore.azzera();
        m_silenzio.stop();
        nuovo->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        connect(nuovo, &QTcpSocket::readyRead, this, [this, nuovo] {
            if (nuovo == m_cliente)
                leggi();
        });
        connect(nuovo, &QTcpSocket::disconnected, nuovo, &QObject::deleteLater);
        connect(nuovo, &QTcpSocket::disconnected, this, &SimulatoreModulo::cliente_scollegato);
        emit cliente_connesso();
        if (m_opzioni.modo == OpzioniSimulatore::Modo::Stazione)
            rispondi("PAS?", conta("PAS?"), false);
    }
}

bool SimulatoreModulo::connesso() const
{
    return m_cliente && m_cliente->state() == QAbstractSocket::ConnectedState;
}

void SimulatoreModulo::leggi()
{
    m_divisore.aggiungi(m_cliente->readAll());
    while (connesso()) {
        const std::optional<QByteArray> comando = m_divisore.prossimo(m_opzioni.password);
        if (!comando)
            break;
        ricevi(*comando);
    }
    if (!connesso())
        m_divisore.azzera();
    if (m_divisore.in_attesa() > 0)
        m_silenzio.start(m_opzioni.silenzio_ms);
    else
        m_silenzio.stop();
}

void SimulatoreModulo::a_riposo()
{
    const std::optional<QByteArray> comando = m_divisore.a_riposo();
    if (comando && connesso())
        ricevi(*comando);
}

void SimulatoreModulo::ricevi(const QByteArray &comando)
{
    static const Effetto effetti[] = {
        {"PAS=", &SimulatoreModulo::esegui_password, false, false, false},
        {"MOP=", &SimulatoreModulo::esegui_modo, true, false, false},
        {"RST!", &SimulatoreModulo::esegui_riavvio, true, false, false},
        {"FWI", &SimulatoreModulo::esegui_identita, false, true, false},
        {"PGS", &SimulatoreModulo::esegui_cancellazione, false, true, false},
        {"PGF", &SimulatoreModulo::esegui_cancellazione, false, true, false},
        {"PGP", &SimulatoreModulo::esegui_scrittura, false, true, true},
        {"PGp", &SimulatoreModulo::esegui_scrittura, false, true, true},
        {"PGX", &SimulatoreModulo::esegui_verifica, false, true, false},
        {"PGW", &SimulatoreModulo::esegui_verifica, false, true, false},
    };
    m_comandi.append(comando);
    emit comando_ricevuto(comando);
    for (const Effetto &effetto : effetti) {
        if (!comando.startsWith(effetto.testa))
            continue;
        if (effetto.dispositivo && !m_autorizzato)
            return;
        const Guasto *guasto = conta(effetto.testa.toByteArray());
        if (guasto && guasto->tipo == Guasto::Tipo::Stallo && m_risposte)
            m_risposte->sospendi(guasto->ritardo_ms);
        const bool eseguito = !guasto || guasto->tipo != Guasto::Tipo::ChiudiPrima;
        const QByteArray risposta = eseguito ? (this->*effetto.esegui)(comando) : QByteArray();
        rispondi(risposta, guasto, effetto.riavvia,
                 m_opzioni.latenza_ms + (effetto.mezza_pagina ? m_opzioni.scrittura_ms : 0));
        return;
    }
}

const Guasto *SimulatoreModulo::conta(const QByteArray &testa)
{
    const int occorrenza = ++m_occorrenze[testa];
    for (const Guasto &guasto : std::as_const(m_opzioni.guasti)) {
        if (guasto.comando == testa && (guasto.occorrenza == 0 || guasto.occorrenza == occorrenza))
            return &guasto;
    }
    return nullptr;
}

void SimulatoreModulo::rispondi(const QByteArray &risposta, const Guasto *guasto, bool riavvia, int attesa_ms)
{
    if (!m_risposte)
        return;
    PianoRisposta piano = piano_risposta(risposta, riavvia, guasto);
    piano.attesa_ms += attesa_ms;
    m_risposte->accoda(piano);
}

QByteArray SimulatoreModulo::esegui_password(const QByteArray &comando)
{
    if (comando.sliced(4) != m_opzioni.password)
        return "PAS=ERR";
    m_autorizzato = true;
    return "PAS=OK";
}

QByteArray SimulatoreModulo::esegui_modo(const QByteArray &)
{
    m_opzioni.modo = OpzioniSimulatore::Modo::AccessPoint;
    return "MOP=OK";
}

QByteArray SimulatoreModulo::esegui_riavvio(const QByteArray &)
{
    return "RST=OK";
}

QByteArray SimulatoreModulo::esegui_identita(const QByteArray &)
{
    return risposta_identita(m_opzioni);
}

QByteArray SimulatoreModulo::esegui_cancellazione(const QByteArray &)
{
    return m_dispositivo.cancella();
}

QByteArray SimulatoreModulo::esegui_scrittura(const QByteArray &comando)
{
    return m_dispositivo.scrivi_mezza_pagina(comando);
}

QByteArray SimulatoreModulo::esegui_verifica(const QByteArray &comando)
{
    const QByteArray risposta = m_dispositivo.verifica(comando);
    const std::optional<QByteArray> &immagine = m_dispositivo.immagine_verificata();
    if (immagine)
        salva_immagine(*immagine);
    emit verificato(immagine.has_value());
    return risposta;
}

void SimulatoreModulo::salva_immagine(const QByteArray &immagine) const
{
    if (m_opzioni.file_immagine.isEmpty())
        return;
    QSaveFile file(m_opzioni.file_immagine);
    if (!file.open(QIODevice::WriteOnly) || file.write(immagine) != immagine.size() || !file.commit())
        qWarning("kestra-sim: cannot write %s: %s", qPrintable(m_opzioni.file_immagine),
                 qPrintable(file.errorString()));
}
