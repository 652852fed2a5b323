#include "architecture/LayerTable.h"

#include <QRegularExpression>

namespace {

QStringList cellsOf(const QString &row)
{
    QStringList cells = row.trimmed().split(u'|');
    // "| a | b |" splits into an empty text before the first bar and after the last.
    if (!cells.isEmpty() && cells.constFirst().trimmed().isEmpty())
        cells.removeFirst();
    if (!cells.isEmpty() && cells.constLast().trimmed().isEmpty())
        cells.removeLast();
    for (QString &cell : cells)
        cell = cell.trimmed();
    return cells;
}

[[noreturn]] void fail(const QString &message)
{
    throw LayerTableError(message.toStdString());
}

qsizetype columnOf(const QStringList &header, const QString &name)
{
    const qsizetype column = header.indexOf(name);
    if (column < 0)
        fail(QStringLiteral("the layer table has no column \"%1\"").arg(name));
    return column;
}

QStringList placesOf(const QString &cell, const QString &layer)
{
    static const QRegularExpression quoted(QStringLiteral("`([^`]+)`"));
    const QString root = QStringLiteral("src/");
    QStringList places;
    for (const QRegularExpressionMatch &match : quoted.globalMatch(cell)) {
        QString place = match.captured(1);
        if (!place.startsWith(root) || place.size() == root.size())
            fail(QStringLiteral("layer %1: \"%2\" is not a place under src/").arg(layer, place));
        place = place.mid(root.size());
        if (place.endsWith(u'/'))
            place.chop(1);
        places.append(place);
    }
    if (places.isEmpty())
        fail(QStringLiteral("layer %1 names no folder").arg(layer));
    return places;
}

QStringList namesOf(const QString &cell)
{
    QStringList names;
    for (const QString &name : cell.split(u','))
        if (const QString trimmed = name.trimmed(); !trimmed.isEmpty() && trimmed != QStringLiteral("—") && trimmed != QStringLiteral("-"))
            names.append(trimmed);
    return names;
}

} // namespace

LayerTable LayerTable::fromMarkdown(const QString &document)
{
    const QStringList lines = document.split(u'\n');
    qsizetype line = lines.indexOf(QStringLiteral("## Layers"));
    if (line < 0)
        fail(QStringLiteral("no \"## Layers\" heading"));
    while (++line < lines.size() && !lines.at(line).startsWith(u'|'))
        ;
    // The header row and the row of dashes below it.
    if (line + 1 >= lines.size())
        fail(QStringLiteral("no table below \"## Layers\""));
    const QStringList header = cellsOf(lines.at(line));
    const qsizetype nameColumn = columnOf(header, QStringLiteral("Layer"));
    const qsizetype placesColumn = columnOf(header, QStringLiteral("Folders"));
    const qsizetype buildsOnColumn = columnOf(header, QStringLiteral("Builds on"));

    LayerTable table;
    QSet<QString> placesSeen;
    for (line += 2; line < lines.size() && lines.at(line).startsWith(u'|'); ++line) {
        const QStringList cells = cellsOf(lines.at(line));
        if (cells.size() != header.size())
            fail(QStringLiteral("row %1 of the layer table has %2 cells, not %3").arg(lines.at(line)).arg(cells.size()).arg(header.size()));
        Layer layer{cells.at(nameColumn), placesOf(cells.at(placesColumn), cells.at(nameColumn)), namesOf(cells.at(buildsOnColumn))};
        QSet<QString> below;
        for (const QString &name : std::as_const(layer.buildsOn)) {
            const auto earlier = std::find_if(table.m_layers.begin(), table.m_layers.end(), [&](const Layer &l) { return l.name == name; });
            if (earlier == table.m_layers.end())
                fail(QStringLiteral("layer %1 builds on \"%2\", which no earlier row names").arg(layer.name, name));
            below.insert(name);
            below.unite(table.m_below.at(static_cast<size_t>(earlier - table.m_layers.begin())));
        }
        for (const QString &place : std::as_const(layer.places)) {
            if (placesSeen.contains(place))
                fail(QStringLiteral("src/%1 is named in two rows of the layer table").arg(place));
            placesSeen.insert(place);
        }
        table.m_layers.push_back(std::move(layer));
        table.m_below.push_back(std::move(below));
    }
    if (table.m_layers.empty())
        fail(QStringLiteral("the layer table has no rows"));
    return table;
}

const Layer *LayerTable::layerOf(const QString &file) const
{
    const QString folder = file.contains(u'/') ? file.left(file.lastIndexOf(u'/')) : QString();
    const Layer *ofFolder = nullptr;
    for (const Layer &layer : m_layers) {
        if (layer.places.contains(file))
            return &layer;
        if (layer.places.contains(folder))
            ofFolder = &layer;
    }
    return ofFolder;
}

bool LayerTable::buildsOn(const Layer &upper, const Layer &lower) const
{
    return m_below.at(static_cast<size_t>(&upper - m_layers.data())).contains(lower.name);
}

bool LayerTable::isAbove(const Layer &to, const Layer &from) const
{
    return &to > &from;
}
