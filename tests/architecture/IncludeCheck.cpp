#include "architecture/IncludeCheck.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>

namespace {

const QStringList sourcePatterns{QStringLiteral("*.h"), QStringLiteral("*.cpp"), QStringLiteral("*.h.in")};

QString folderOf(const QString &path)
{
    return path.contains(u'/') ? path.left(path.lastIndexOf(u'/')) : QString();
}

bool inUiFolder(const QString &path)
{
    return folderOf(path).split(u'/').contains(QStringLiteral("ui"));
}

QString describe(const Layer &layer, const QString &folder)
{
    return QStringLiteral("%1 (src/%2)").arg(layer.name, folder);
}

// Source files below the root, relative to it, in a stable order.
QStringList sourceFiles(const QString &root)
{
    QStringList files;
    QDirIterator it(root, sourcePatterns, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        files.append(QDir(root).relativeFilePath(it.next()));
    files.sort();
    return files;
}

class FileCheck
{
public:
    FileCheck(const LayerTable &table, const QSet<QString> &widgetHeaders, const QString &file, QStringList &faults)
        : m_table(table)
        , m_widgetHeaders(widgetHeaders)
        , m_file(file)
        , m_faults(faults)
        , m_layer(table.layerOf(file))
    {
    }

    void checkLine(int number, const QString &line)
    {
        static const QRegularExpression include(QStringLiteral(R"(^\s*#\s*include\s*(["<])([^">]+)[">])"));
        const QRegularExpressionMatch match = include.match(line);
        if (!match.hasMatch())
            return;
        const QString header = match.captured(2);
        const QString where = QStringLiteral("src/%1:%2: ").arg(m_file).arg(number);
        if (match.captured(1) == QStringLiteral("<")) {
            if (!inUiFolder(m_file) && isWidgetHeader(header))
                m_faults.append(where + QStringLiteral("<%1> is a widget or printing header outside a ui/ folder").arg(header));
            return;
        }
        // A name without a folder is the including file's neighbour (or a generated header beside it).
        if (!m_layer || !header.contains(u'/'))
            return;
        const Layer *target = m_table.layerOf(header);
        if (!target)
            return; // its folder is reported once, as a folder the table does not name
        const QString from = folderOf(m_file), to = folderOf(header);
        if (target == m_layer ? from == to : m_table.buildsOn(*m_layer, *target))
            return;
        const QString direction = m_table.isAbove(*target, *m_layer) ? QStringLiteral("up") : QStringLiteral("sideways");
        m_faults.append(where + QStringLiteral("\"%1\" goes %2: %3 does not build on %4")
                                    .arg(header, direction, describe(*m_layer, from), describe(*target, to)));
    }

private:
    bool isWidgetHeader(const QString &header) const
    {
        return header.startsWith(QStringLiteral("QtWidgets/")) || header.startsWith(QStringLiteral("QtPrintSupport/"))
               || m_widgetHeaders.contains(header);
    }

    const LayerTable &m_table;
    const QSet<QString> &m_widgetHeaders;
    const QString m_file;
    QStringList &m_faults;
    const Layer *m_layer;
};

} // namespace

QStringList CheckIncludes(const LayerTable &table, const QString &sourceRoot, const QSet<QString> &widgetHeaders)
{
    QStringList faults;
    const QString root = QDir(sourceRoot).absolutePath();
    const QStringList files = sourceFiles(root);

    QSet<QString> folders, unnamed;
    for (const QString &file : files) {
        folders.insert(folderOf(file));
        if (!table.layerOf(file) && !unnamed.contains(folderOf(file))) {
            unnamed.insert(folderOf(file));
            faults.append(QStringLiteral("src/%1: folder is not in the layer table").arg(folderOf(file)));
        }
    }
    for (const Layer &layer : table.layers())
        for (const QString &place : layer.places)
            if (!folders.contains(place) && !files.contains(place))
                faults.append(QStringLiteral("src/%1: named by layer %2, but holds no source file").arg(place, layer.name));

    for (const QString &file : files) {
        QFile source(root + u'/' + file);
        if (!source.open(QIODevice::ReadOnly | QIODevice::Text)) {
            faults.append(QStringLiteral("src/%1: cannot be read").arg(file));
            continue;
        }
        FileCheck check(table, widgetHeaders, file, faults);
        const QStringList lines = QString::fromUtf8(source.readAll()).split(u'\n');
        for (qsizetype i = 0; i < lines.size(); ++i)
            check.checkLine(static_cast<int>(i + 1), lines.at(i));
    }
    return faults;
}

QSet<QString> HeaderNames(const QStringList &folders)
{
    QSet<QString> names;
    for (const QString &folder : folders)
        for (const QString &name : QDir(folder).entryList(QDir::Files))
            names.insert(name);
    return names;
}
