#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// A temporary folder made the working directory while alive, where the main
// window reads and writes its "settings.ini".
class settings_folder
{
public:
    settings_folder();
    ~settings_folder();
    settings_folder(const settings_folder &) = delete;
    settings_folder &operator=(const settings_folder &) = delete;

    QString path() const { return dir.path(); }
    QString file() const { return dir.filePath(QStringLiteral("settings.ini")); }
    // Writes "settings.ini" as it stands, byte for byte.
    void write(const QByteArray &text) const;
    bool exists() const;

private:
    QTemporaryDir dir;
    QString previous;
};
