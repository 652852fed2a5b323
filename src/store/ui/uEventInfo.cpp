#include "store/ui/uEventInfo.h"

#include "base/KorventError.h"
#include "base/Platform.h"
#include "base/ui/MessageBoxSink.h"
#include "base/ui/TDBNavigator.h"
#include "base/ui/TRadioGroup.h"
#include "course/ui/ControlsPageMenu.h"
#include "db/EditableTableModel.h"
#include "store/CountryList.h"
#include "store/EventSchema.h"
#include "store/EventSetup.h"
#include "store/FieldDisplay.h"
#include "store/uData.h"
#include "store/ui/ControlPersistence.h"
#include "base/ui/FileDialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

// Siblings sorted as the class table orders them.
class ClassTreeItem : public QTreeWidgetItem
{
public:
    using QTreeWidgetItem::QTreeWidgetItem;
    bool operator<(const QTreeWidgetItem &other) const override
    {
        return ClassNodeTextLess(text(0), other.text(0));
    }
};

// Control types offered in the type column.
class PickListDelegate : public QStyledItemDelegate
{
public:
    PickListDelegate(const QStringList &items, QObject *parent)
        : QStyledItemDelegate(parent), m_items(items) {}

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &, const QModelIndex &) const override
    {
        auto *combo = new QComboBox(parent);
        combo->addItems(m_items);
        return combo;
    }
    void setEditorData(QWidget *editor, const QModelIndex &index) const override
    {
        static_cast<QComboBox *>(editor)->setCurrentText(index.data(Qt::EditRole).toString());
    }
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override
    {
        model->setData(index, static_cast<QComboBox *>(editor)->currentText());
    }

private:
    QStringList m_items;
};

// '0' of a stored mask is a required digit: '9' in Qt's input masks.
QString inputMaskOf(const char *mask)
{
    return QString::fromLatin1(mask).replace(u'0', u'9') + QStringLiteral(";_");
}

int depthOf(const QTreeWidgetItem *item)
{
    int depth = 0;
    for (const QTreeWidgetItem *parent = item->parent(); parent; parent = parent->parent())
        ++depth;
    return depth;
}

} // namespace

TfEventInfo::TfEventInfo(const QString &eventDirectory, const QString &programDirectory, TdmData &data,
                         SharedEventSetup &shared, QWidget *parent)
    : QDialog(parent)
    , m_eventDirectory(eventDirectory)
    , m_programDirectory(programDirectory)
    , m_data(data)
    , m_shared(shared)
{
    setObjectName(QStringLiteral("fEventInfo"));
    setWindowTitle(tr("Event Info"));

    auto *tabs = new QTabWidget(this);
    tabs->setObjectName(QStringLiteral("pcEventInfo"));
    tabs->addTab(createFormTab("Event"), tr("Event"));
    tabs->addTab(createClassesTab(), tr("Classes"));
    tabs->addTab(createControlsTab(), tr("Controls"));
    tabs->addTab(createFormTab("Setup"), tr("Setup"));
    tabs->addTab(createListsTab(), tr("Lists and extras"));
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::accept);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(tabs);
    layout->addWidget(buttons);
    resize(860, 560);

    showSettings(EventSettings::load(m_eventDirectory));
    setClassTree(ReadClassTreeFile(ClassTreeFileName(m_eventDirectory)));
    m_countries->setCountries(LoadCountryList(CountryListFileName(m_programDirectory)));
}

QWidget *TfEventInfo::createSettingControl(const SettingDefinition &definition, QWidget *parent)
{
    const QString caption = tr(definition.caption);
    QWidget *control = nullptr;
    switch (definition.kind) {
    case SettingKind::Text:
    case SettingKind::Masked: {
        auto *edit = new QLineEdit(definition.defaultValue.toString(), parent);
        if (definition.kind == SettingKind::Masked)
            edit->setInputMask(inputMaskOf(definition.mask));
        control = edit;
        break;
    }
    case SettingKind::Integer: {
        auto *spin = new QSpinBox(parent);
        spin->setRange(definition.minimum, definition.maximum);
        spin->setValue(definition.defaultValue.toInt());
        control = spin;
        break;
    }
    case SettingKind::Boolean: {
        auto *check = new QCheckBox(caption, parent);
        check->setChecked(definition.defaultValue.toBool());
        control = check;
        break;
    }
    case SettingKind::Choice: {
        QStringList items;
        for (const QString &choice : definition.choices)
            items.append(tr(choice.toLatin1().constData()));
        auto *radio = new TRadioGroup(caption, items, parent);
        radio->setItemIndex(definition.defaultValue.toInt());
        control = radio;
        break;
    }
    case SettingKind::DateTime: {
        auto *picker = new QDateTimeEdit(definition.defaultValue.toDateTime(), parent);
        picker->setCalendarPopup(true);
        picker->setDisplayFormat(Platform::shortDateFormat());
        control = picker;
        break;
    }
    }
    control->setObjectName(QString::fromLatin1(definition.key));
    control->setToolTip(tr(definition.hint));
    control->setEnabled(definition.enabled);
    return control;
}

void TfEventInfo::addSettingsOfTab(const char *tab, QWidget *page, QVBoxLayout *column)
{
    auto *form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::ExpandingFieldsGrow);
    column->addLayout(form);
    for (const SettingDefinition &definition : SettingDefinitions()) {
        if (qstrcmp(definition.tab, tab) != 0)
            continue;
        QWidget *control = createSettingControl(definition, page);
        if (definition.kind == SettingKind::Boolean || definition.kind == SettingKind::Choice) {
            form->addRow(control);
        } else if (qstrcmp(definition.key, "eResultHeader") == 0) {
            // The header template is chosen with a file button beside it.
            auto *row = new QHBoxLayout;
            row->addWidget(control, 1);
            auto *sbOpenFile = new QToolButton(page);
            sbOpenFile->setObjectName(QStringLiteral("sbOpenFile"));
            sbOpenFile->setText(QStringLiteral("..."));
            connect(sbOpenFile, &QToolButton::clicked, this, &TfEventInfo::sbOpenFileClick);
            row->addWidget(sbOpenFile);
            form->addRow(tr(definition.caption), row);
        } else {
            form->addRow(tr(definition.caption), control);
        }
    }
}

QWidget *TfEventInfo::createFormTab(const char *tab)
{
    auto *page = new QWidget;
    auto *column = new QVBoxLayout(page);
    addSettingsOfTab(tab, page, column);
    column->addStretch();
    return page;
}

QWidget *TfEventInfo::createClassesTab()
{
    auto *page = new QWidget;
    tvClassList = new QTreeWidget(page);
    tvClassList->setObjectName(QStringLiteral("tvClassList"));
    tvClassList->setHeaderHidden(true);
    tvClassList->setSortingEnabled(true);
    tvClassList->sortByColumn(0, Qt::AscendingOrder);

    auto *column = new QVBoxLayout;
    addSettingsOfTab("Classes", page, column);
    auto *add = new QPushButton(tr("Add Class"), page);
    add->setObjectName(QStringLiteral("btnAddClass"));
    connect(add, &QPushButton::clicked, this, &TfEventInfo::btnAddClassClick);
    auto *remove = new QPushButton(tr("Remove Class"), page);
    remove->setObjectName(QStringLiteral("btnRemoveClass"));
    connect(remove, &QPushButton::clicked, this, &TfEventInfo::btnRemoveClassClick);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(add);
    buttons->addWidget(remove);
    column->addLayout(buttons);
    column->addStretch();

    auto *layout = new QHBoxLayout(page);
    layout->addWidget(tvClassList, 1);
    layout->addLayout(column, 1);
    return page;
}

TfEventInfo::TableGrid TfEventInfo::createTableGrid(const db::TableDefinition &table, const QString &objectName, QWidget *parent)
{
    auto *model = new db::EditableTableModel(m_data.connection(), table, {}, this);
    model->setDisplayText([name = table.name](const QString &field, const QVariant &value) { return FieldDisplayText(name, field, value); });
    auto *view = new QTableView(parent);
    view->setObjectName(objectName);
    view->setModel(model);
    view->verticalHeader()->setDefaultSectionSize(22);
    view->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    view->horizontalHeader()->setStretchLastSection(true);
    auto *navigator = new TDBNavigator(view, model, parent);
    navigator->setObjectName(objectName + QStringLiteral("Navigator"));
    TableGrid grid{view, model, navigator};
    m_grids.append(grid);
    return grid;
}

QWidget *TfEventInfo::createControlsTab()
{
    auto *page = new QWidget;
    // The control grid titles the map positions its own way.
    db::TableDefinition controls = EventTable(QStringLiteral("control"));
    for (db::FieldDefinition &field : controls.fields) {
        if (field.name == QLatin1String("pos_x"))
            field.label = tr("x(mmm)");
        else if (field.name == QLatin1String("pos_y"))
            field.label = tr("y(mmm)");
    }
    const TableGrid grid = createTableGrid(controls, QStringLiteral("dbGridControls"), page);
    grid.view->setToolTip(tr("Control: S,F,I,O,W or CP number"));
    grid.view->setItemDelegateForColumn(grid.model->columnOf(QStringLiteral("type")),
                                        new PickListDelegate(QStringLiteral("C,S,F,I,O,W").split(u','), grid.view));
    new ControlsPageMenu(*this, grid.view, grid.navigator, m_data, m_eventDirectory);
    auto *gridColumn = new QVBoxLayout;
    gridColumn->addWidget(grid.view, 1);
    gridColumn->addWidget(grid.navigator);

    auto *settingsColumn = new QVBoxLayout;
    addSettingsOfTab("Controls", page, settingsColumn);
    settingsColumn->addStretch();

    auto *layout = new QHBoxLayout(page);
    layout->addLayout(gridColumn, 3);
    layout->addLayout(settingsColumn, 2);
    return page;
}

QWidget *TfEventInfo::createListsTab()
{
    auto *page = new QWidget;
    auto *settingsColumn = new QVBoxLayout;
    addSettingsOfTab("Lists and extras", page, settingsColumn);
    settingsColumn->addStretch();

    m_countries = new CountryListModel(this);
    connect(m_countries, &CountryListModel::rejectedCode, this, [this](const QString &message) {
        QMessageBox::warning(this, tr("Korvent"), message);
    });
    auto *vleCountrys = new QTableView(page);
    vleCountrys->setObjectName(QStringLiteral("vleCountrys"));
    vleCountrys->setModel(m_countries);
    vleCountrys->verticalHeader()->hide();
    vleCountrys->verticalHeader()->setDefaultSectionSize(22);
    vleCountrys->horizontalHeader()->setStretchLastSection(true);
    auto *addCountry = new QToolButton(page);
    addCountry->setText(QStringLiteral("+"));
    addCountry->setToolTip(tr("Add country"));
    connect(addCountry, &QToolButton::clicked, this, [this, vleCountrys] {
        m_countries->insertRows(m_countries->rowCount(), 1);
        vleCountrys->edit(m_countries->index(m_countries->rowCount() - 1, 0));
    });
    auto *removeCountry = new QToolButton(page);
    removeCountry->setText(QStringLiteral("\u2212"));
    removeCountry->setToolTip(tr("Delete country"));
    connect(removeCountry, &QToolButton::clicked, this, [this, vleCountrys] {
        if (vleCountrys->currentIndex().isValid())
            m_countries->removeRows(vleCountrys->currentIndex().row(), 1);
    });
    auto *countryButtons = new QHBoxLayout;
    countryButtons->addWidget(addCountry);
    countryButtons->addWidget(removeCountry);
    countryButtons->addStretch();

    const TableGrid extras = createTableGrid(EventTable(QStringLiteral("extrapoint")), QStringLiteral("dbgExtras"), page);

    auto *listsColumn = new QVBoxLayout;
    listsColumn->addWidget(new QLabel(tr("Countries"), page));
    listsColumn->addWidget(vleCountrys, 3);
    listsColumn->addLayout(countryButtons);
    listsColumn->addWidget(new QLabel(tr("Extra points"), page));
    listsColumn->addWidget(extras.view, 2);
    listsColumn->addWidget(extras.navigator);

    auto *layout = new QHBoxLayout(page);
    layout->addLayout(settingsColumn, 1);
    layout->addLayout(listsColumn, 1);
    return page;
}

QWidget *TfEventInfo::settingControl(const SettingDefinition &definition) const
{
    return findChild<QWidget *>(QString::fromLatin1(definition.key));
}

void TfEventInfo::showSettings(const EventSettings &settings)
{
    for (const SettingDefinition &definition : SettingDefinitions())
        SetControlText(settingControl(definition), SettingText(settings, definition));
}

void TfEventInfo::takeSetting(EventSettings &settings, const SettingDefinition &definition)
{
    QWidget *control = settingControl(definition);
    try {
        // The text each control holds goes the way of `settings set KEY=VALUE`.
        SetSettingText(settings, definition, ControlText(control).value_or(QString()));
    } catch (const KorventError &) {
        auto *tabs = findChild<QTabWidget *>(QStringLiteral("pcEventInfo"));
        for (int i = 0; i < tabs->count(); ++i)
            if (tabs->widget(i)->isAncestorOf(control))
                tabs->setCurrentIndex(i);
        control->setFocus();
        throw;
    }
}

EventSettings TfEventInfo::settings()
{
    EventSettings settings;
    for (const SettingDefinition &definition : SettingDefinitions())
        takeSetting(settings, definition);
    return settings;
}

ClassTree TfEventInfo::classTree() const
{
    ClassTree tree;
    std::function<void(QTreeWidgetItem *, int)> walk = [&](QTreeWidgetItem *item, int depth) {
        tree.push_back(ClassNode{item->text(0), depth});
        for (int i = 0; i < item->childCount(); ++i)
            walk(item->child(i), depth + 1);
    };
    for (int i = 0; i < tvClassList->topLevelItemCount(); ++i)
        walk(tvClassList->topLevelItem(i), 0);
    return tree;
}

void TfEventInfo::setClassTree(const ClassTree &tree)
{
    tvClassList->clear();
    std::vector<QTreeWidgetItem *> parents;
    for (const ClassNode &node : tree) {
        parents.resize(static_cast<size_t>(node.depth));
        QTreeWidgetItem *item = parents.empty() ? new ClassTreeItem(tvClassList) : new ClassTreeItem(parents.back());
        item->setText(0, node.text);
        parents.push_back(item);
    }
    tvClassList->expandAll();
}

void TfEventInfo::btnAddClassClick()
{
    const QString name = findChild<QLineEdit *>(QStringLiteral("eClassName"))->text();
    if (name.isEmpty())
        return;
    QTreeWidgetItem *selected = tvClassList->currentItem();
    if (selected && !selected->isSelected())
        selected = nullptr;
    QTreeWidgetItem *item;
    if (!selected || findChild<QCheckBox *>(QStringLiteral("cbMainClass"))->isChecked()) {
        // A half-typed time would make a class that starts at no time.
        EventSettings times;
        try {
            for (const char *key : {"meStartTime", "meControlTime", "mePenaltyTime"})
                takeSetting(times, *FindSetting(QLatin1String(key)));
        } catch (const KorventError &error) {
            MessageBoxSink(this).error(error.message());
            return;
        }
        item = new ClassTreeItem(tvClassList);
        item->setText(0, MainClassNodeText(name, times.meStartTime, times.meControlTime, times.mePenaltyTime));
    } else {
        if (depthOf(selected) + 1 >= ClassPathLevels) {
            QMessageBox::warning(this, tr("Korvent"), tr("Classes may be nested %1 levels deep at most").arg(ClassPathLevels));
            return;
        }
        item = new ClassTreeItem(selected);
        item->setText(0, name);
        selected->setExpanded(true);
    }
    tvClassList->setCurrentItem(item);
}

void TfEventInfo::btnRemoveClassClick()
{
    if (QTreeWidgetItem *selected = tvClassList->currentItem())
        delete selected;
}

void TfEventInfo::sbOpenFileClick()
{
    QLineEdit *header = findChild<QLineEdit *>(QStringLiteral("eResultHeader"));
    TFileDialog dialog(this, tr("Report header file"), header->text(), tr("HTML files (*.htm)"));
    dialog.setObjectName(QStringLiteral("odResultHeader"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(QStringLiteral("htm"));
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        header->setText(dialog.selectedFiles().constFirst());
}

void TfEventInfo::save(const EventSettings &current)
{
    current.save(m_eventDirectory);
    // An emptied tree leaves the last stored one in place, and that one stays
    // the program's tree.
    ClassTree tree = classTree();
    if (tree.empty())
        tree = ReadClassTreeFile(ClassTreeFileName(m_eventDirectory));
    else
        WriteClassTreeFile(ClassTreeFileName(m_eventDirectory), tree);
    SaveCountryList(CountryListFileName(m_programDirectory), m_countries->countries());

    m_shared.publish(EventSetup{current, tree});
}

void TfEventInfo::showEvent(QShowEvent *event)
{
    tvClassList->expandAll();
    for (const TableGrid &grid : m_grids)
        grid.navigator->refresh();
    QDialog::showEvent(event);
}

void TfEventInfo::done(int result)
{
    // A cell the database refused, or a half-typed time, keeps the window
    // open for the operator to mend; the navigator or the box says what is wrong.
    for (const TableGrid &grid : m_grids)
        if (!grid.navigator->post())
            return;
    EventSettings current;
    try {
        current = settings();
    } catch (const KorventError &error) {
        MessageBoxSink(this).error(error.message());
        return;
    }
    try {
        save(current);
    } catch (const KorventError &error) {
        MessageBoxSink(this).error(error.message());
    }
    QDialog::done(result);
}
