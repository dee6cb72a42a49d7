#include "cli/console.h"

#include <QJsonDocument>

namespace {
constexpr Testo scelta{" [s/N] ", " [y/N] "};
constexpr int intervallo_barra_ms = 100;
constexpr int larghezza_barra = 30;

// What counts as Yes in each language.
const QStringList si[] = {{"s", "si", QStringLiteral("sì"), "y", "yes"}, {"y", "yes"}};
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
    oggetto(campi);
}

void Console::oggetto(const QJsonObject &oggetto)
{
    m_canali.uscita.write(QJsonDocument(oggetto).toJson(QJsonDocument::Compact) + '\n');
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
void Console::barra(const QString &fase, int percento, const QString &dettaglio, bool finita)
{
    const bool presto = m_barra_disegnata.isValid() && !m_barra_disegnata.hasExpired(intervallo_barra_ms);
    if (!m_modo.barra || (presto && !finita))
        return;
    m_barra_disegnata.start();
    const int pieni = percento * larghezza_barra / 100;
    QString riga = QStringLiteral("%1 [%2%3] %4%")
                       .arg(fase, -14)
                       .arg(QString(pieni, u'#'), QString(larghezza_barra - pieni, u'.'))
                       .arg(percento, 3);
    if (!dettaglio.isEmpty())
        riga += QStringLiteral("  ") + dettaglio;
    // Blanks wipe what a longer line left.
    scrivi(m_canali.errori, u'\r' + riga.leftJustified(qMax(m_barra, riga.size())));
    m_barra = riga.size();
}

std::optional<bool> Console::chiedi(const QString &domanda)
{
    chiudi_barra();
    scrivi(m_canali.errori, domanda + testo(scelta));
    const QByteArray riga = m_canali.ingresso.readLine();
    const QString risposta = QString::fromLocal8Bit(riga).trimmed().toLower();
    m_segnale = m_modo.segnale();
    // A signal, or the end of the input, leaves no line of the user's: the question's is ended here.
    if (m_segnale != 0 || !riga.endsWith('\n'))
        scrivi(m_canali.errori, QStringLiteral("\n"));
    if (m_segnale != 0)
        return std::nullopt;
    return si[m_modo.lingua == 0 ? 0 : 1].contains(risposta);
}

void Console::chiudi_barra()
{
    if (m_barra >= 0)
        m_canali.errori.write("\n");
    m_barra = -1;
}
