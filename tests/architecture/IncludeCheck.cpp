#include "architecture/IncludeCheck.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QHash>
#include <QRegularExpression>

#include <optional>

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

// Where the compiler finds a header: a quoted name next to the including file
// first, then every name in src/ and in the generated folder, which holds each
// "X.h.in" of the tree as "X.h". Paths are relative to src/.
class HeaderResolver
{
public:
    explicit HeaderResolver(const QStringList &files)
        : m_files(files.cbegin(), files.cend())
    {
        for (const QString &file : files)
            if (file.endsWith(QStringLiteral(".h.in")))
                m_generated.insert(file.mid(file.lastIndexOf(u'/') + 1).chopped(3), file);
    }

    // The source file the include reaches (for a generated header, its template), or nothing
    // for a header from outside the tree.
    std::optional<QString> resolve(const QString &includingFile, const QString &header, bool quoted) const
    {
        if (quoted)
            if (auto file = existing(folderOf(includingFile) + u'/' + header))
                return file;
        if (auto file = existing(header))
            return file;
        if (const auto generated = m_generated.constFind(QDir::cleanPath(header)); generated != m_generated.cend())
            return *generated;
        return std::nullopt;
    }

private:
    std::optional<QString> existing(const QString &path) const
    {
        const QString clean = QDir::cleanPath(path.startsWith(u'/') ? path.mid(1) : path);
        if (clean == QStringLiteral("..") || clean.startsWith(QStringLiteral("../")) || !m_files.contains(clean))
            return std::nullopt;
        return clean;
    }

    QSet<QString> m_files;
    QHash<QString, QString> m_generated;
};

class FileCheck
{
public:
    FileCheck(const LayerTable &table, const HeaderResolver &headers, const QSet<QString> &widgetHeaders, const QString &file,
              QStringList &faults)
        : m_table(table)
        , m_headers(headers)
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
        const bool quoted = match.captured(1) == QStringLiteral("\"");
        const QString header = match.captured(2).trimmed();
        const QString written = quoted ? u'"' + header + u'"' : u'<' + header + u'>';
        const QString where = QStringLiteral("src/%1:%2: ").arg(m_file).arg(number);
        const std::optional<QString> resolved = m_headers.resolve(m_file, header, quoted);
        if (!resolved) {
            if (!inUiFolder(m_file) && isWidgetHeader(header))
                m_faults.append(where + QStringLiteral("%1 is a widget or printing header outside a ui/ folder").arg(written));
            return;
        }
        if (!m_layer)
            return; // the including file's folder is reported once, as a folder the table does not name
        const Layer *target = m_table.layerOf(*resolved);
        if (!target) {
            m_faults.append(where + QStringLiteral("%1 reaches src/%2, in a folder the layer table does not name").arg(written, *resolved));
            return;
        }
        const QString from = folderOf(m_file), to = folderOf(*resolved);
        if (target == m_layer ? from == to : m_table.buildsOn(*m_layer, *target))
            return;
        const QString direction = m_table.isAbove(*target, *m_layer) ? QStringLiteral("up") : QStringLiteral("sideways");
        m_faults.append(where + QStringLiteral("%1 goes %2: %3 does not build on %4")
                                    .arg(written, direction, describe(*m_layer, from), describe(*target, to)));
    }

private:
    bool isWidgetHeader(const QString &header) const
    {
        return header.startsWith(QStringLiteral("QtWidgets/")) || header.startsWith(QStringLiteral("QtPrintSupport/"))
               || m_widgetHeaders.contains(header);
    }

    const LayerTable &m_table;
    const HeaderResolver &m_headers;
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

    const HeaderResolver headers(files);
    for (const QString &file : files) {
        QFile source(root + u'/' + file);
        if (!source.open(QIODevice::ReadOnly | QIODevice::Text)) {
            faults.append(QStringLiteral("src/%1: cannot be read").arg(file));
            continue;
        }
        FileCheck check(table, headers, widgetHeaders, file, faults);
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
