#include "cli/transcript.h"

#include <QDateTime>
#include <QFileInfo>

Trascrizione::Trascrizione(Collegamento &link, QIODevice &file) : m_file(file)
{
    m_orologio.start();
    connect(&link, &Collegamento::inviato, this, [this](const QByteArray &comando) {
        scrivi("->", comando.startsWith("PAS=") ? QByteArray("PAS=***") : comando.toHex(' '));
    });
    connect(&link, &Collegamento::arrivato, this, [this](const QByteArray &dati) { scrivi("<-", dati.toHex(' ')); });
    connect(&link, &Collegamento::in_ritardo, this,
            [this](const QByteArray &dati) { scrivi("<-", dati.toHex(' ') + " (late: answers an attempt given up)"); });
    connect(&link, &Collegamento::connesso, this, [this] { scrivi("--", "connected"); });
    connect(&link, &Collegamento::errore, this, [this] { scrivi("--", "connection failed"); });
}

void Trascrizione::scrivi(const char *verso, const QByteArray &testo)
{
    const double ms = double(m_orologio.nsecsElapsed()) / 1e6;
    m_file.write(QByteArray::number(ms, 'f', 3).rightJustified(11) + " ms " + verso + ' ' + testo + '\n');
}

void Trascrizione::intestazione(const QString &versione, const QString &indirizzo, quint16 porta,
                                const QString &file)
{
    QStringList campi{QDateTime::currentDateTimeUtc().toString(Qt::ISODate), QStringLiteral("kestra-flash ") + versione,
                      QStringLiteral("%1:%2").arg(indirizzo).arg(porta)};
    if (!file.isEmpty())
        campi.append(QFileInfo(file).fileName());
    m_file.write(("# " + campi.join(QStringLiteral("  ")) + u'\n').toUtf8());
}

void Trascrizione::risultato(int codice, const QString &classe)
{
    m_file.write(QStringLiteral("# exit %1 (%2)\n").arg(codice).arg(classe).toUtf8());
}
