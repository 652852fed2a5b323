// include_layers ARCHITECTURE.md SOURCE_ROOT [WIDGET_HEADER_FOLDER...]
// Fails (exit 1) listing every include of SOURCE_ROOT that goes against the
// layer table of ARCHITECTURE.md; exit 2 when the table cannot be read.

#include "architecture/IncludeCheck.h"

#include <QCoreApplication>
#include <QFile>
#include <QTextStream>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList arguments = QCoreApplication::arguments().mid(1);
    QTextStream out(stdout), err(stderr);
    if (arguments.size() < 2) {
        err << "usage: include_layers ARCHITECTURE.md SOURCE_ROOT [WIDGET_HEADER_FOLDER...]\n";
        return 2;
    }
    QFile document(arguments.takeFirst());
    if (!document.open(QIODevice::ReadOnly | QIODevice::Text)) {
        err << document.fileName() << ": cannot be read\n";
        return 2;
    }
    const QString sourceRoot = arguments.takeFirst();
    try {
        const LayerTable table = LayerTable::fromMarkdown(QString::fromUtf8(document.readAll()));
        const QStringList faults = CheckIncludes(table, sourceRoot, HeaderNames(arguments));
        for (const QString &fault : faults)
            out << fault << '\n';
        out << faults.size() << (faults.size() == 1 ? " fault" : " faults") << " against the layer table of " << document.fileName() << '\n';
        return faults.isEmpty() ? 0 : 1;
    } catch (const LayerTableError &error) {
        err << document.fileName() << ": " << error.what() << '\n';
        return 2;
    }
}
