#include "sim/fault_option.h"

#include <QTest>

Q_DECLARE_METATYPE(Guasto)

namespace {

using Tipo = Guasto::Tipo;

Guasto guasto(QByteArray comando, int occorrenza, Tipo tipo, QByteArray risposta = {}, int ritardo_ms = 0)
{
    return Guasto{comando, occorrenza, tipo, risposta, ritardo_ms};
}

} // namespace

// The faults a user of the simulator writes on its command line.
class TestSimulatore : public QObject
{
    Q_OBJECT

private slots:
    void fault_options_data()
    {
        QTest::addColumn<QByteArray>("testo");
        QTest::addColumn<bool>("valido");
        QTest::addColumn<Guasto>("atteso");
        QTest::newRow("nth reply") << QByteArray("PGP#3:reply:C") << true << guasto("PGP", 3, Tipo::Risposta, "C");
        QTest::newRow("escapes and colons") << QByteArray(R"(PGS:reply:\x41\x0\xff\\:\n)") << true
                                            << guasto("PGS", 0, Tipo::Risposta, QByteArray("A\0\xFF\\:\n", 6));
        QTest::newRow("drop before") << QByteArray("PGP#10:drop-before") << true
                                     << guasto("PGP", 10, Tipo::ChiudiPrima);
        QTest::newRow("delay of the challenge") << QByteArray("PAS?:delay:250") << true
                                                << guasto("PAS?", 0, Tipo::Ritardo, {}, 250);
        QTest::newRow("split without ms") << QByteArray("FWI:split") << true << guasto("FWI", 0, Tipo::Dividi);
        for (const char *testo : {"PGQ:none", "PGP", "PGP:explode", "PGP#-1:none", "PGP:reply", R"(PGP:reply:\q)",
                                  R"(PGP:reply:A\)", "FWI:none:5", "PGX:delay:-1"})
            QTest::newRow(testo) << QByteArray(testo) << false << Guasto();
    }
    void fault_options()
    {
        QFETCH(QByteArray, testo);
        QFETCH(bool, valido);
        QFETCH(Guasto, atteso);
        QString errore;
        const std::optional<Guasto> letto = leggi_guasto(testo, errore);
        QCOMPARE(letto.has_value(), valido);
        QCOMPARE(errore.isEmpty(), valido);
        if (!letto)
            return;
        QCOMPARE(letto->comando, atteso.comando);
        QCOMPARE(letto->occorrenza, atteso.occorrenza);
        QCOMPARE(letto->tipo, atteso.tipo);
        QCOMPARE(letto->risposta, atteso.risposta);
        QCOMPARE(letto->ritardo_ms, atteso.ritardo_ms);
    }
};

QTEST_GUILESS_MAIN(TestSimulatore)
#include "test_simulator.moc"
