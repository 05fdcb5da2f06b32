// Build-time tool: writes the assembled main window form.
//   form_assembler <window.ui> <channel_page.ui> <assembled.ui>

#include <QCoreApplication>
#include <QDomDocument>
#include <QFile>
#include <QSaveFile>
#include <cstdio>

#include "form_assembler.h"

namespace {

bool load(const QString &path, QDomDocument &doc)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "form_assembler: cannot read %s\n", qPrintable(path));
        return false;
    }
    QString message;
    int line = 0;
    int column = 0;
    if (!doc.setContent(&f, false, &message, &line, &column)) {
        std::fprintf(stderr, "%s:%d:%d: %s\n", qPrintable(path), line, column, qPrintable(message));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4) {
        std::fprintf(stderr, "usage: form_assembler <window.ui> <channel_page.ui> <assembled.ui>\n");
        return 2;
    }
    QDomDocument window;
    QDomDocument page;
    if (!load(args.at(1), window) || !load(args.at(2), page))
        return 1;
    QDomDocument out;
    QString error;
    if (!form_assembler::assemble(window, page, out, error)) {
        std::fprintf(stderr, "form_assembler: %s\n", qPrintable(error));
        return 1;
    }
    QSaveFile f(args.at(3));
    if (!f.open(QIODevice::WriteOnly) || f.write(out.toByteArray(1)) < 0 || !f.commit()) {
        std::fprintf(stderr, "form_assembler: cannot write %s\n", qPrintable(args.at(3)));
        return 1;
    }
    return 0;
}
