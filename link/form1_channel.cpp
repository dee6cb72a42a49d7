#include "app/form1.h"

#include "app/lamp.h"

#include <QPushButton>

void Form1::Winsock1_Connect()
{
    lampada::colora(Shape4, lampada::verde);
}

void Form1::Winsock1_Error()
{
    mostra(messaggio::errore_connessione);
}

void Form1::chiudi_socket()
{
    m_canale.chiudi();
    imposta_pulsanti({{Command2, false}, {Command3, false}, {Command4, false},
                      {Command5, true}, {Command6, false}, {Command7, false}});
    lampada::colora(Shape4, lampada::rosso);
}
