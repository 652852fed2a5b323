#include "dataeditor/SpreadsheetExport.h"

#include "base/KorventError.h"
#include "base/TextFile.h"
#include "dataeditor/SqlConsole.h"
#include "db/StoredValue.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <xlsxwriter.h>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(SpreadsheetExport)
};

// What a column holds, by the type of the field it comes from; expressions go by each value.
enum class ColumnKind { ByValue, Text, Number, Float, Boolean, Date, DateTime };

ColumnKind kindOf(const db::SqlColumn &column)
{
    const QString type = column.declaredType.toUpper();
    if (type.isEmpty())
        return ColumnKind::ByValue;
    if (type.contains(QLatin1String("DATETIME")) || type.contains(QLatin1String("TIMESTAMP")))
        return ColumnKind::DateTime;
    if (type.contains(QLatin1String("DATE")))
        return ColumnKind::Date;
    if (type.contains(QLatin1String("BOOL")))
        return ColumnKind::Boolean;
    if (type.contains(QLatin1String("INT")))
        return ColumnKind::Number;
    if (type.contains(QLatin1String("CHAR")) || type.contains(QLatin1String("TEXT")) || type.contains(QLatin1String("CLOB")))
        return ColumnKind::Text;
    if (type.contains(QLatin1String("REAL")) || type.contains(QLatin1String("FLOA")) || type.contains(QLatin1String("DOUB"))
        || type.contains(QLatin1String("NUM")) || type.contains(QLatin1String("DEC")))
        return ColumnKind::Float;
    return ColumnKind::ByValue;
}

// An expression column counts as a floating-point field when its values are reals.
ColumnKind kindOf(const db::SqlOutcome &outcome, size_t column)
{
    const ColumnKind kind = kindOf(outcome.columns[column]);
    if (kind != ColumnKind::ByValue)
        return kind;
    bool anyReal = false;
    for (const QVariantList &row : outcome.rows) {
        const QVariant &value = row.at(static_cast<qsizetype>(column));
        if (value.isNull())
            continue;
        if (value.typeId() != QMetaType::Double)
            return kind;
        anyReal = true;
    }
    return anyReal ? ColumnKind::Float : kind;
}

bool isNumber(const QVariant &value)
{
    return value.typeId() == QMetaType::LongLong || value.typeId() == QMetaType::Double;
}

// A stored date or date-time text as the spreadsheet's date; nullopt when it is none.
std::optional<lxw_datetime> spreadsheetDate(const QVariant &value)
{
    const QDateTime dateTime = db::ReadStoredDateTime(value.toString()).value_or(QDateTime());
    // The spreadsheet's dates begin in 1900.
    if (!dateTime.isValid() || dateTime.date().year() < 1900 || dateTime.date().year() > 9999)
        return std::nullopt;
    const QDate date = dateTime.date();
    const QTime time = dateTime.time();
    return lxw_datetime{date.year(), date.month(), date.day(), time.hour(), time.minute(), time.second() + time.msec() / 1000.0};
}

class Workbook
{
public:
    explicit Workbook(const QString &fileName)
        : m_fileName(fileName)
        , m_partFile(m_folder.filePath(QStringLiteral("workbook.xlsx")))
        , m_workbook(m_folder.isValid() ? workbook_new(QFile::encodeName(m_partFile).constData()) : nullptr)
    {
        if (!m_workbook)
            throw KorventError(Texts::tr("Cannot write the spreadsheet file %1").arg(fileName));
    }
    ~Workbook()
    {
        if (m_workbook)
            workbook_close(m_workbook);
    }
    Workbook(const Workbook &) = delete;
    Workbook &operator=(const Workbook &) = delete;

    lxw_workbook *get() const { return m_workbook; }
    lxw_format *format(bool bold, bool right, const char *numberFormat = nullptr)
    {
        lxw_format *format = workbook_add_format(m_workbook);
        format_set_font_name(format, "Arial");
        format_set_font_size(format, 10);
        if (bold)
            format_set_bold(format);
        if (right)
            format_set_align(format, LXW_ALIGN_RIGHT);
        if (numberFormat)
            format_set_num_format(format, numberFormat);
        return format;
    }
    void check(lxw_error error, qint64 row, const QString &column) const
    {
        if (error != LXW_NO_ERROR)
            throw KorventError(Texts::tr("Cannot write row %1, column \"%2\" into %3: %4")
                                   .arg(row + 1).arg(column, m_fileName, QString::fromUtf8(lxw_strerror(error))));
    }
    // The workbook is made apart and takes the file's place whole: a failed
    // export leaves the file as it was.
    void close()
    {
        const lxw_error error = workbook_close(m_workbook);
        m_workbook = nullptr;
        if (error != LXW_NO_ERROR)
            throw KorventError(Texts::tr("Cannot write the spreadsheet file %1: %2").arg(m_fileName, QString::fromUtf8(lxw_strerror(error))));
        QFile part(m_partFile);
        if (!part.open(QIODevice::ReadOnly))
            throw KorventError(Texts::tr("Cannot write the spreadsheet file %1: %2").arg(m_fileName, part.errorString()));
        WriteFileBytes(m_fileName, part.readAll());
    }

private:
    QString m_fileName;
    QTemporaryDir m_folder;
    QString m_partFile;
    lxw_workbook *m_workbook;
};

} // namespace

QStringList RecordLimitChoices()
{
    return {QStringLiteral("All"), QStringLiteral("100"), QStringLiteral("200"), QStringLiteral("500"), QStringLiteral("1000"),
            QStringLiteral("5000")};
}

std::optional<qint64> RecordLimit(const QString &choice)
{
    const QString text = choice.trimmed().toUpper();
    if (text == QLatin1String("ALL"))
        return AllRecords;
    bool ok = false;
    const qint64 limit = text.toLongLong(&ok);
    if (!ok || limit < 0)
        return std::nullopt;
    return limit;
}

QString RecordsExportedText(qint64 count)
{
    return QStringLiteral(" Records exported : %1").arg(count);
}

QString ExportDoneText(qint64 count)
{
    return QStringLiteral(" Successfully exported %1 records to Excel").arg(count);
}

QString ExportNotOpenedText(qint64 count, const QString &fileName)
{
    return QStringLiteral(" Exported %1 records to %2; no program could be started to open it").arg(count).arg(fileName);
}

qint64 WriteSpreadsheet(const QString &fileName, const db::SqlOutcome &outcome, const std::vector<bool> &columns, qint64 limit,
                        const std::function<void(qint64)> &progress)
{
    Workbook workbook(fileName);
    lxw_worksheet *sheet = workbook_add_worksheet(workbook.get(), "AbsDb");
    lxw_format *plain = workbook.format(false, false);
    lxw_format *header = workbook.format(true, false);
    lxw_format *headerRight = workbook.format(true, true);
    lxw_format *date = workbook.format(false, false, "mm-dd-yyyy");

    struct Chosen
    {
        size_t column;
        ColumnKind kind;
    };
    std::vector<Chosen> chosen;
    for (size_t c = 0; c < outcome.columns.size(); ++c) {
        if (c >= columns.size() || !columns[c])
            continue;
        const auto sheetColumn = static_cast<lxw_col_t>(chosen.size());
        const ColumnKind kind = kindOf(outcome, c);
        const double width = std::min(ColumnDisplayWidth(outcome, c) + 2, 50);
        workbook.check(worksheet_set_column(sheet, sheetColumn, sheetColumn, width, plain), 0, outcome.columns[c].name);
        const bool right = kind == ColumnKind::Float || kind == ColumnKind::Date || kind == ColumnKind::DateTime;
        workbook.check(worksheet_write_string(sheet, 0, sheetColumn, outcome.columns[c].name.toUtf8().constData(), right ? headerRight : header),
                       0, outcome.columns[c].name);
        chosen.push_back({c, kind});
    }

    qint64 count = 0;
    for (const QVariantList &row : outcome.rows) {
        if (count >= limit)
            break;
        const auto sheetRow = static_cast<lxw_row_t>(count + 1);
        for (size_t i = 0; i < chosen.size(); ++i) {
            const QVariant &value = row.at(static_cast<qsizetype>(chosen[i].column));
            if (value.isNull())
                continue; // an empty cell
            const auto sheetColumn = static_cast<lxw_col_t>(i);
            const QString &name = outcome.columns[chosen[i].column].name;
            lxw_error written = LXW_NO_ERROR;
            switch (chosen[i].kind) {
            case ColumnKind::Date:
            case ColumnKind::DateTime:
                if (std::optional<lxw_datetime> when = spreadsheetDate(value)) {
                    written = worksheet_write_datetime(sheet, sheetRow, sheetColumn, &*when, date);
                    break;
                }
                written = worksheet_write_string(sheet, sheetRow, sheetColumn, db::SqlValueText(value).toUtf8().constData(), plain);
                break;
            case ColumnKind::Boolean:
                if (value.typeId() == QMetaType::LongLong) {
                    written = worksheet_write_boolean(sheet, sheetRow, sheetColumn, value.toLongLong() != 0, plain);
                    break;
                }
                [[fallthrough]];
            case ColumnKind::Number:
            case ColumnKind::Float:
            case ColumnKind::ByValue:
                if (isNumber(value)) {
                    written = worksheet_write_number(sheet, sheetRow, sheetColumn, value.toDouble(), plain);
                    break;
                }
                [[fallthrough]];
            case ColumnKind::Text:
                written = worksheet_write_string(sheet, sheetRow, sheetColumn, db::SqlValueText(value).toUtf8().constData(), plain);
                break;
            }
            workbook.check(written, sheetRow, name);
        }
        ++count;
        if (count % 100 == 0 && progress)
            progress(count);
    }
    workbook.close();
    return count;
}
