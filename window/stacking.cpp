#include "window/stacking.h"

#include <QWidget>
#include <QWindow>

void imposta_sempre_in_primo_piano(QWidget &finestra, bool attivo)
{
    // QWidget::setWindowFlag() would destroy and re-create a native window that exists.
    finestra.overrideWindowFlags(finestra.windowFlags().setFlag(Qt::WindowStaysOnTopHint, attivo));
    if (QWindow *nativa = finestra.windowHandle())
        nativa->setFlags(finestra.windowFlags());
}
