#include "core/hex_format.h"
#include "core/identity.h"
#include "core/labels.h"
#include "core/captions.h"

#include <QTest>

#include <limits>

namespace {

// Bytes 1..20 of an identification reply: firmware 2.15, board "BRD1",
// file "FILENAME", date 05.03.18.
const QByteArray identita_intera("FWI=\x02\x15" "BRD1FILENAME\x24\x65", 20);

QString identita_in_chiaro(const IdentitaDispositivo &identita)
{
    if (!identita.info_disponibile)
        return QStringLiteral("no information");
    return QStringList{etichetta_firmware_dispositivo(identita), QString::fromLatin1(identita.scheda),
                       QString::fromLatin1(identita.nome_file), testo_data(identita)}
        .join(u'|');
}

const Testo &prefisso_di(const char *etichetta)
{
    for (const EtichettaConPrefisso &voce : etichette_con_prefisso())
        if (qstrcmp(voce.controllo, etichetta) == 0)
            return voce.prefisso;
    qFatal("no label %s", etichetta);
}

} // namespace

class TestTextsAndIdentity : public QObject
{
    Q_OBJECT

private slots:
    void formatta_hex()
    {
        const std::tuple<float, int, const char *> casi[] = {
            {10, 2, "0A"}, {255, 2, "FF"}, {4660, 2, "34"}, // the last two digits
            {2.5f, 2, "02"}, {3.5f, 2, "04"},                // halves to even
            {-1, 8, "FFFFFFFF"}, {-1, 10, "00FFFFFFFF"},     // two's complement
            {4294967296.0f, 2, "00"}, {4294967808.0f, 4, "0200"}, // 2^32 wraps, keeping the low bits
            {std::numeric_limits<float>::quiet_NaN(), 2, "00"}, {10, 0, ""},
        };
        for (const auto &[valore, cifre, testo] : casi)
            QCOMPARE(::formatta_hex(valore, cifre), QLatin1String(testo));
    }

    void identity()
    {
        const auto con_data = [](int alto, int basso) {
            QByteArray risposta = identita_intera;
            risposta[18] = char(alto);
            risposta[19] = char(basso);
            return risposta;
        };
        const std::pair<QByteArray, const char *> casi[] = {
            {identita_intera, "Firmware: v.2.15|BRD1|FILENAME|05.03.18"},
            {"FWI=???", "no information"},
            {"FWI=???x", "Firmware: v.63.3F|?x||00.00.00"},
            {QByteArray(identita_intera).replace(4, 2, "\x01\x0A"), "Firmware: v.1.0A|BRD1|FILENAME|05.03.18"},
            {identita_intera.first(8), "Firmware: v.2.15|BR||00.00.00"},
            {identita_intera.first(19), "Firmware: v.2.15|BRD1|FILENAME|00.00.18"},
            {con_data(1, 0x20), "Firmware: v.2.15|BRD1|FILENAME|00.09.00"},  // the month from both bytes
            {con_data(201, 255), "Firmware: v.2.15|BRD1|FILENAME|31.15.100"}, // nothing checked
            {{}, "Firmware: v.0.00|||00.00.00"},
        };
        for (const auto &[risposta, mostrata] : casi)
            QCOMPARE(identita_in_chiaro(leggi_identita(risposta)), QLatin1String(mostrata));
    }

    void prefix_swap()
    {
        const std::tuple<const char *, const char *, int, const char *> casi[] = {
            {"Label7", "Scheda: AB12", 1, "Board: AB12"},        {"Label12", "Board:  K 1 ", 0, "Scheda:  K 1 "},
            {"Label13", "File name: FW_01", 0, "Nome file: FW_01"}, {"Label14", "Date: 05.03.18", 0, "Data: 05.03.18"},
            {"Label7", "Scheda: AB", 2, "Board: AB"},            {"Label7", "Scheda: AB", 0, "Scheda:"},
            {"Label7", "Sche", 1, "Board:"},                      {"Label7", "scheda: AB", 1, "Board:"},
            {"Label14", " Data: 1", 1, "Date:"},
        };
        for (const auto &[etichetta, didascalia, lingua, attesa] : casi)
            QCOMPARE(scambia_prefisso(QLatin1String(didascalia), prefisso_di(etichetta), lingua), QLatin1String(attesa));
    }

};

QTEST_GUILESS_MAIN(TestTextsAndIdentity)
#include "test_texts_and_identity.moc"
