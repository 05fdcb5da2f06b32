#include <QApplication>

#include "app/resources.h"

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    lumatrex_init_resources();
    return 0;
}
