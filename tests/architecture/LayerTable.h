#pragma once

// The layer table of docs/ARCHITECTURE.md as data: each layer with its folders
// (or single files) under src/ and the layers it builds on. Code may include
// its own folder and every layer its layer builds on, directly or through
// another; not another folder of its own layer.

#include <QSet>
#include <QString>
#include <QStringList>
#include <optional>
#include <stdexcept>
#include <vector>

struct Layer
{
    QString name;
    QStringList places;  // paths relative to src/: folders ("reports/ui") or files ("cli/korvent_cli.cpp")
    QStringList buildsOn; // names of earlier layers
};

// A table that cannot be read as layers; its message names the row.
class LayerTableError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

class LayerTable
{
public:
    // Reads the first table after the "## Layers" heading of the document: its
    // columns "Layer", "Folders" (places in backquotes, "src/" first) and
    // "Builds on" (layer names separated by commas; "—" for none). Raises
    // LayerTableError on a missing table or column, a place named twice, or a
    // layer that builds on one not named in an earlier row.
    static LayerTable fromMarkdown(const QString &document);

    const std::vector<Layer> &layers() const { return m_layers; }
    // The layer of a file (path relative to src/): the row naming the file
    // itself, else the row naming its folder. Nothing for a folder no row names.
    const Layer *layerOf(const QString &file) const;
    // Whether `upper` builds on `lower`, directly or through another layer.
    bool buildsOn(const Layer &upper, const Layer &lower) const;
    // Whether `to` comes after `from` in the table (an include going up).
    bool isAbove(const Layer &to, const Layer &from) const;

private:
    std::vector<Layer> m_layers;
    std::vector<QSet<QString>> m_below; // per layer: the layers it builds on, directly or not
};
