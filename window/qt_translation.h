#pragma once

#include <QTranslator>

// Qt's own texts (the buttons of the message boxes, the file dialog) in the
// language of the program: Qt's Italian translation is installed while the
// language is Italian and removed for English.
class TraduzioneQt
{
public:
    ~TraduzioneQt();
    void imposta(int lingua);

private:
    QTranslator m_italiano;
    bool m_installata = false;
};
