#include "app/resources.h"

#include <QtGlobal>
#include <QDir>

void lumatrex_init_resources()
{
    Q_INIT_RESOURCE(images);
}
