#include "settings_folder.h"

#include <QDir>
#include <QFile>

settings_folder::settings_folder() : previous(QDir::currentPath())
{
    QDir::setCurrent(dir.path());
}

settings_folder::~settings_folder()
{
    QDir::setCurrent(previous);
}

void settings_folder::write(const QByteArray &text) const
{
    QFile f(file());
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(text);
}

bool settings_folder::exists() const
{
    return QFile::exists(file());
}
