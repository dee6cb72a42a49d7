#include "cli/console.h"

#include <QJsonDocument>
#include <cmath>
#include <csignal>

namespace {
constexpr Testo scelta{" [s/N] ", " [y/N] "};
constexpr Testo rimasti{"rimanenti", "left"};
constexpr int intervallo_barra_ms = 100;
constexpr int larghezza_barra = 30;
} // namespace

void Console::avviso(const QString &riga)
{
    chiudi_barra();
    scrivi(m_canali.errori, riga + u'\n');
}

void Console::evento(const char *nome, QJsonObject campi)
{
    if (!m_modo.json)
        return;
    campi.insert(QStringLiteral("event"), QLatin1String(nome));
    m_canali.uscita.write(QJsonDocument(campi).toJson(QJsonDocument::Compact) + '\n');
}

void Console::risultato(const char *evento, const QList<Campo> &campi)
{
    QJsonObject valori;
    QStringList etichette;
    for (const Campo &campo : campi) {
        valori.insert(QLatin1String(campo.nome), campo.valore);
        etichette.append(campo.etichetta);
    }
    if (m_modo.json)
        this->evento(evento, valori);
    else
        scrivi(m_canali.uscita, etichette.join(QStringLiteral("  ")) + u'\n');
}

// "transfer       [#########.....]  64%  210.4 KB/s  0:03 left"
void Console::barra(const QString &fase, int percento, qint64 byte_rimanenti, double byte_al_secondo)
{
    const bool presto = m_barra_disegnata.isValid() && !m_barra_disegnata.hasExpired(intervallo_barra_ms);
    if (!m_modo.barra || (presto && byte_rimanenti > 0))
        return;
    m_barra_disegnata.start();
    const int pieni = percento * larghezza_barra / 100;
    QString riga = QStringLiteral("%1 [%2%3] %4%")
                       .arg(fase, -14)
                       .arg(QString(pieni, u'#'), QString(larghezza_barra - pieni, u'.'))
                       .arg(percento, 3);
    if (byte_al_secondo > 0) {
        const auto secondi = qint64(std::ceil(double(byte_rimanenti) / byte_al_secondo));
        riga += QStringLiteral("  %1 KB/s  %2:%3 %4")
                    .arg(byte_al_secondo / 1024, 0, 'f', 1)
                    .arg(secondi / 60)
                    .arg(secondi % 60, 2, 10, QChar(u'0'))
                    .arg(testo(rimasti));
    }
    // Blanks wipe what a longer line left.
    scrivi(m_canali.errori, u'\r' + riga.leftJustified(qMax(m_barra, riga.size())));
    m_barra = riga.size();
}

bool Console::chiedi(const QString &domanda)
{
    chiudi_barra();
    scrivi(m_canali.errori, domanda + testo(scelta));
    // Nothing is being sent while a question waits: Ctrl-C ends the program at once.
    const auto gestore = std::signal(SIGINT, SIG_DFL);
    const QString risposta = QString::fromLocal8Bit(m_canali.ingresso.readLine()).trimmed().toLower();
    std::signal(SIGINT, gestore);
    return risposta.startsWith(u'y') || risposta.startsWith(u's');
}

void Console::chiudi_barra()
{
    if (m_barra >= 0)
        m_canali.errori.write("\n");
    m_barra = -1;
}
