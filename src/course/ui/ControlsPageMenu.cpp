#include "course/ui/ControlsPageMenu.h"

#include "base/KorventError.h"
#include "base/ui/DoneMessage.h"
#include "base/ui/LongWork.h"
#include "base/ui/MessageBoxSink.h"
#include "base/ui/OverrideCursor.h"
#include "base/ui/TDBNavigator.h"
#include "course/ControlCreation.h"
#include "course/ControlList.h"
#include "course/CourseDataImport.h"
#include "course/CourseImportSummary.h"
#include "course/CourseMapFile.h"
#include "course/ui/uCreateControls.h"
#include "reports/ui/TextPrinter.h"
#include "store/uData.h"
#include "store/ui/uEventInfo.h"
#include "base/ui/FileDialogs.h"

#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPrinterInfo>
#include <QTabWidget>
#include <QTableView>

ControlsPageMenu::ControlsPageMenu(TfEventInfo &window, QTableView *grid, TDBNavigator *navigator, TdmData &data,
                                   const QString &eventDirectory)
    : QObject(&window)
    , m_window(window)
    , m_grid(grid)
    , m_navigator(navigator)
    , m_data(data)
    , m_eventDirectory(eventDirectory)
    , pmControls(new QMenu(grid))
{
    pmControls->setObjectName(QStringLiteral("pmControls"));
    // The same menu stands in the window's menu bar.
    pmControls->setTitle(tr("&Controls"));
    const auto add = [this](const char *name, const QString &caption, void (ControlsPageMenu::*handler)()) {
        QAction *action = pmControls->addAction(caption);
        action->setObjectName(QString::fromLatin1(name));
        connect(action, &QAction::triggered, this, handler);
    };
    add("miImportOCAD9", tr("Import OCAD9"), &ControlsPageMenu::miImportOCAD9Click);
    add("miCreate", tr("Create"), &ControlsPageMenu::miCreateClick);
    pmControls->addSeparator();
    add("miPrint", tr("Print"), &ControlsPageMenu::miPrintClick);
    add("miMapFile", tr("Map file"), &ControlsPageMenu::miMapFileClick);

    m_grid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_grid, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &position) { pmControls->popup(m_grid->viewport()->mapToGlobal(position)); });
}

bool ControlsPageMenu::isTicked(const char *name) const
{
    return m_window.findChild<QCheckBox *>(QString::fromLatin1(name))->isChecked();
}

void ControlsPageMenu::changeControls(const std::function<void()> &command)
{
    if (!m_navigator->post())
        return;
    try {
        OverrideCursor wait(Qt::WaitCursor);
        command();
    } catch (const KorventError &error) {
        m_navigator->refresh();
        MessageBoxSink(&m_window).error(error.message());
        return;
    }
    m_navigator->refresh();
}

void ControlsPageMenu::miImportOCAD9Click()
{
    const QString fileName = ChooseFileName(&m_window, {.caption = tr("Import OCAD9 course data"),
                                                        .start = m_eventDirectory,
                                                        .filters = tr("XML files (*.xml)"),
                                                        .defaultSuffix = QStringLiteral("xml"),
                                                        .objectName = QStringLiteral("odImportOCAD9")});
    if (!fileName.isEmpty())
        importFile(fileName);
}

void ControlsPageMenu::importFile(const QString &fileName)
{
    std::optional<CourseData> imported;
    changeControls([&] {
        const bool unitPlus11 = isTicked("cbUnit11");
        // One transaction: Cancel adds no row.
        imported = LongWork(&m_window, m_eventDirectory, tr("Import OCAD9")).run([&](LongWorkTools &work) {
            return ImportCourseData(work.data, fileName, unitPlus11, {}, work.progress);
        });
        if (imported && imported->map) {
            EventSettings settings;
            ApplyMapReference(settings, *imported->map);
            for (const SettingMember member : {SettingMember(&EventSettings::mapScale), SettingMember(&EventSettings::mapOffsetX),
                                               SettingMember(&EventSettings::mapOffsetY)}) {
                const SettingDefinition &setting = SettingOf(member);
                m_window.findChild<QLineEdit *>(QString::fromLatin1(setting.key))->setText(SettingText(settings, setting));
            }
        }
    });
    if (!imported)
        return;
    // The command may come from the window's menu on another page: the rows are shown.
    if (auto *tabs = m_window.findChild<QTabWidget *>(QStringLiteral("pcEventInfo")))
        for (int i = 0; i < tabs->count(); ++i)
            if (tabs->widget(i)->isAncestorOf(m_grid))
                tabs->setCurrentIndex(i);
    QMessageBox summary(QMessageBox::Information, tr("Import OCAD9"), tr("Course data imported from %1").arg(QDir::toNativeSeparators(fileName)),
                        QMessageBox::Ok, &m_window);
    summary.setObjectName(QStringLiteral("mbImportSummary"));
    summary.setInformativeText(CourseImportSummary(*imported).join(u'\n'));
    summary.exec();
}

void ControlsPageMenu::miCreateClick()
{
    TfCreateControls dialog(&m_window);
    if (dialog.exec() != QDialog::Accepted)
        return;
    changeControls([&] { CreateControls(m_data, dialog.from(), dialog.to(), isTicked("cbUnit11"), isTicked("cbCheckInOut")); });
}

void ControlsPageMenu::miPrintClick()
{
    try {
        if (!m_navigator->post())
            return;
        OverrideCursor wait(Qt::WaitCursor);
        PrintTextLinesOnPrinter(ControlListLines(m_data.connection()), ControlListTitle(), false, -1);
    } catch (const KorventError &error) {
        MessageBoxSink(&m_window).error(error.message());
    }
}

void ControlsPageMenu::miMapFileClick()
{
    try {
        if (!m_navigator->post())
            return;
        const EventSettings settings = m_window.settings();
        // Drawing a large map picture and encoding it takes seconds: off the window thread.
        const std::optional<QString> written = LongWork(&m_window, m_eventDirectory, tr("Map file")).run([&](LongWorkTools &work) {
            return SaveCourseMapFile(work.data, settings, m_eventDirectory);
        });
        if (written)
            ShowDoneMessage(&m_window, {*written});
    } catch (const KorventError &error) {
        MessageBoxSink(&m_window).error(error.message());
    }
}
