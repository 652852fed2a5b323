#include "store/EventRecords.h"

#include "base/IniFile.h"
#include "base/KorventError.h"
#include "base/TextFile.h"
#include "db/Connection.h"
#include "store/DatabaseBinding.h"
#include "store/EventSchema.h"

#include <QFileInfo>
#include <map>
#include <memory>
#include <type_traits>

namespace {

// Each thread keeps its connection to the server for the next read: the
// setup is looked at again before every readout.
db::Connection &serverConnection(const db::DatabaseAddress &address)
{
    thread_local std::map<QString, std::unique_ptr<db::Connection>> connections;
    std::unique_ptr<db::Connection> &connection = connections[address.url()];
    if (!connection)
        connection = std::make_unique<db::Connection>(address, EventDatabaseTables(), EventSchemaVersion);
    return *connection;
}

using SettingTexts = std::map<QString, QString>;

SettingTexts settingRows(db::Connection &connection)
{
    SettingTexts texts;
    QSqlQuery rows = connection.exec(QStringLiteral("SELECT name, value FROM eventsetting WHERE section = ?"), {EventSettings::sectionName()});
    while (rows.next())
        texts[rows.value(0).toString()] = rows.value(1).toString();
    return texts;
}

EventSettings settingsOf(const SettingTexts &texts, const QString &origin)
{
    return EventSettings::fromTexts([&](const QString &key) -> std::optional<QString> {
        const auto found = texts.find(key);
        return found == texts.end() ? std::nullopt : std::optional<QString>(found->second);
    }, origin);
}

SettingTexts textsOf(const EventSettings &settings)
{
    SettingTexts texts;
    for (const SettingDefinition &definition : SettingDefinitions())
        texts[QString::fromLatin1(definition.key)] = SettingText(settings, definition);
    return texts;
}

// Inside the caller's transaction.
void writeSettingRow(db::Connection &connection, const QString &key, const QString &text)
{
    // A new key each time: the readers' stamps see the change.
    connection.exec(QStringLiteral("DELETE FROM eventsetting WHERE section = ? AND name = ?"), {EventSettings::sectionName(), key});
    connection.exec(QStringLiteral("INSERT INTO eventsetting (section, name, value) VALUES (?, ?, ?)"), {EventSettings::sectionName(), key, text});
}

QStringList classTreeRow(db::Connection &connection)
{
    const QVariant tree = connection.scalar(QStringLiteral("SELECT tree FROM eventclasstree ORDER BY id DESC"));
    return tree.isNull() ? QStringList() : tree.toString().split(u'\n');
}

void writeClassTreeRow(db::Connection &connection, const QStringList &lines)
{
    connection.exec(QStringLiteral("DELETE FROM eventclasstree"));
    connection.insert(QStringLiteral("INSERT INTO eventclasstree (tree) VALUES (?)"), {lines.join(u'\n')});
}

QStringList logRows(db::Connection &connection)
{
    return connection.texts(QStringLiteral("SELECT line FROM correctionlog ORDER BY id DESC"));
}

// The lines from the oldest up, so that the newest gets the greatest key.
void appendLogRows(db::Connection &connection, const QStringList &newestFirst)
{
    QSqlQuery insert = connection.prepare(QStringLiteral("INSERT INTO correctionlog (line) VALUES (?)"));
    for (auto line = newestFirst.crbegin(); line != newestFirst.crend(); ++line)
        connection.exec(insert, {*line});
}

// The connection of the transaction this thread has open on the server, if any.
db::Connection *openOnServer(const db::DatabaseAddress &address)
{
    db::Connection *open = db::Transaction::openInThisThread();
    return open && open->address() == address ? open : nullptr;
}

// Where a read goes: into this thread's open transaction, which sees its own
// changes and waits for nothing it holds itself; else the thread's connection.
db::Connection &readConnection(const db::DatabaseAddress &address)
{
    db::Connection *open = openOnServer(address);
    return open ? *open : serverConnection(address);
}

// Runs `write` inside a transaction on the server: the one this thread has
// open on it (the change then commits with that one), or one of its own.
template <typename Write>
auto writeOnServer(const db::DatabaseAddress &address, Write write)
{
    if (db::Connection *open = openOnServer(address))
        return write(*open);
    db::Connection &connection = serverConnection(address);
    db::Transaction transaction(connection);
    if constexpr (std::is_void_v<decltype(write(connection))>) {
        write(connection);
        transaction.commit();
    } else {
        auto written = write(connection);
        transaction.commit();
        return written;
    }
}

QString serverOrigin(const db::DatabaseAddress &address)
{
    return address.displayName();
}

} // namespace

QString CorrectionLogFileName(const QString &eventDirectory)
{
    return eventDirectory + QStringLiteral("timelog.txt");
}

EventRecords::EventRecords(const QString &eventDirectory)
    : m_eventDirectory(eventDirectory)
{
    const db::DatabaseAddress address = EventDatabaseAddress(eventDirectory);
    if (address.engine == db::Engine::PostgreSQL)
        m_server = address;
}

EventSettings EventRecords::loadSettings() const
{
    if (!m_server)
        return EventSettings::loadFile(m_eventDirectory);
    return settingsOf(settingRows(readConnection(*m_server)), serverOrigin(*m_server));
}

bool EventRecords::isSettingStored(const QString &key) const
{
    if (!m_server)
        return IniFile(EventSettings::fileName(m_eventDirectory)).hasKey(EventSettings::sectionName(), key);
    return readConnection(*m_server).scalar(QStringLiteral("SELECT COUNT(*) FROM eventsetting WHERE section = ? AND name = ?"),
                             {EventSettings::sectionName(), key}).toLongLong() > 0;
}

EventSettings EventRecords::updateSettings(const std::function<void(EventSettings &)> &change) const
{
    if (!m_server)
        return EventSettings::updateFile(m_eventDirectory, change);
    return writeOnServer(*m_server, [&](db::Connection &connection) {
        // Every writer of the event waits for this transaction: the rows read are the rows written over.
        const SettingTexts stored = settingRows(connection);
        EventSettings settings = settingsOf(stored, serverOrigin(*m_server));
        const SettingTexts before = textsOf(settings);
        change(settings);
        for (const auto &[key, text] : textsOf(settings))
            if (text != before.at(key) || !stored.contains(key))
                writeSettingRow(connection, key, text);
        return settings;
    });
}

ClassTree EventRecords::loadClassTree() const
{
    if (!m_server)
        return ReadClassTreeFile(ClassTreeFileName(m_eventDirectory));
    return ClassTreeFromLines(classTreeRow(readConnection(*m_server)), serverOrigin(*m_server));
}

void EventRecords::saveClassTree(const ClassTree &tree) const
{
    if (!m_server) {
        WriteClassTreeFile(ClassTreeFileName(m_eventDirectory), tree);
        return;
    }
    writeOnServer(*m_server, [&](db::Connection &connection) {
        writeClassTreeRow(connection, ClassTreeLines(tree));
    });
}

ClassTree EventRecords::updateClassTree(const std::function<ClassTree(const ClassTree &stored)> &change) const
{
    if (!m_server) {
        const ClassTree tree = change(loadClassTree());
        saveClassTree(tree);
        return tree;
    }
    return writeOnServer(*m_server, [&](db::Connection &connection) {
        const ClassTree tree = change(ClassTreeFromLines(classTreeRow(connection), serverOrigin(*m_server)));
        writeClassTreeRow(connection, ClassTreeLines(tree));
        return tree;
    });
}

std::vector<qint64> EventRecords::stamps() const
{
    if (m_server) {
        const auto row = readConnection(*m_server).firstRow(QStringLiteral("SELECT (SELECT MAX(id) FROM eventsetting), (SELECT COUNT(*) FROM eventsetting), "
                                                                            "(SELECT MAX(id) FROM eventclasstree)"));
        return {row->value(0).toLongLong(), row->value(1).toLongLong(), row->value(2).toLongLong()};
    }
    std::vector<qint64> stamps;
    for (const QString &name : {EventSettings::fileName(m_eventDirectory), ClassTreeFileName(m_eventDirectory)}) {
        // Both files are written whole through a rename: a new file has a new change time.
        const QFileInfo file(name);
        stamps.insert(stamps.end(), {file.exists() ? file.size() : -1, file.lastModified().toMSecsSinceEpoch(),
                                     file.metadataChangeTime().toMSecsSinceEpoch()});
    }
    return stamps;
}

QStringList EventRecords::loadServerLog() const
{
    return logRows(readConnection(*m_server));
}

void EventRecords::prependServerLog(const QString &line) const
{
    writeOnServer(*m_server, [&](db::Connection &connection) {
        appendLogRows(connection, {line});
    });
}

QStringList EventRecords::mergeServerLog(const std::function<QStringList(const QStringList &current)> &merge) const
{
    return writeOnServer(*m_server, [&](db::Connection &connection) {
        const QStringList current = logRows(connection);
        const QStringList merged = merge(current);
        if (merged != current) {
            connection.exec(QStringLiteral("DELETE FROM correctionlog"));
            appendLogRows(connection, merged);
        }
        return merged;
    });
}

qint64 EventRecords::copyFilesToRows(const QString &eventDirectory, db::Connection &target)
{
    qint64 rows = 0;
    if (QFileInfo::exists(EventSettings::fileName(eventDirectory))) {
        for (const auto &[key, text] : textsOf(EventSettings::loadFile(eventDirectory)))
            writeSettingRow(target, key, text);
        rows += static_cast<qint64>(SettingDefinitions().size());
    }
    const ClassTree tree = ReadClassTreeFile(ClassTreeFileName(eventDirectory));
    if (!tree.empty()) {
        writeClassTreeRow(target, ClassTreeLines(tree));
        ++rows;
    }
    const QString log = CorrectionLogFileName(eventDirectory);
    if (QFileInfo::exists(log)) {
        const std::optional<QStringList> lines = ReadTextLines(log);
        if (!lines)
            throw KorventError(QCoreApplication::translate("EventRecords", "Cannot read the edit log %1").arg(log));
        appendLogRows(target, *lines);
        rows += lines->size();
    }
    return rows;
}

qint64 EventRecords::copyRowsToFiles(db::Connection &source, const QString &eventDirectory)
{
    qint64 rows = 0;
    const SettingTexts texts = settingRows(source);
    if (!texts.empty()) {
        settingsOf(texts, serverOrigin(source.address())).save(eventDirectory);
        rows += static_cast<qint64>(texts.size());
    }
    const QStringList tree = classTreeRow(source);
    if (!tree.isEmpty()) {
        WriteClassTreeFile(ClassTreeFileName(eventDirectory), ClassTreeFromLines(tree, serverOrigin(source.address())));
        ++rows;
    }
    const QStringList log = logRows(source);
    if (!log.isEmpty()) {
        WriteTextLines(CorrectionLogFileName(eventDirectory), log);
        rows += log.size();
    }
    return rows;
}
