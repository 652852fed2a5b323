#include "store/ui/uEventInfo.h"

#include "base/KorventError.h"
#include "base/Platform.h"
#include "base/ui/MessageBoxSink.h"
#include "base/ui/TDBNavigator.h"
#include "base/ui/TRadioGroup.h"
#include "course/CourseDataImport.h"
#include "course/ui/ControlsPageMenu.h"
#include "db/EditableTableModel.h"
#include "store/ClassUse.h"
#include "store/CountryList.h"
#include "store/EventSchema.h"
#include "store/EventRecords.h"
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
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPalette>
#include <QPushButton>
#include <QSpinBox>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace {

// A class is shown as its name and times; the node text as stored is kept
// beside them, and siblings sort by it as the class table orders them.
constexpr int NodeTextRole = Qt::UserRole;
enum ClassColumn { NameColumn, StartColumn, MaximumColumn, PenaltyColumn };

class ClassTreeItem : public QTreeWidgetItem
{
public:
    using QTreeWidgetItem::QTreeWidgetItem;
    bool operator<(const QTreeWidgetItem &other) const override
    {
        return ClassNodeTextLess(nodeText(this), nodeText(&other));
    }
    static QString nodeText(const QTreeWidgetItem *item) { return item->data(NameColumn, NodeTextRole).toString(); }
};

QTreeWidgetItem *mainClassOf(QTreeWidgetItem *item)
{
    while (item->parent())
        item = item->parent();
    return item;
}

std::optional<MainClassTimes> timesOf(QTreeWidgetItem *item)
{
    return ParseClassNodeText(ClassTreeItem::nodeText(mainClassOf(item))).times;
}

// Sub-classes show the times of their main class, greyed: they have no times of their own.
void showClassItem(QTreeWidgetItem *item)
{
    const ClassNodeParts parts = ParseClassNodeText(ClassTreeItem::nodeText(item));
    const MainClassTimes times = timesOf(item).value_or(MainClassTimes{});
    item->setText(NameColumn, parts.name);
    item->setToolTip(NameColumn, ClassTreeItem::nodeText(item));
    const std::pair<ClassColumn, QString> columns[] = {{StartColumn, times.start}, {MaximumColumn, times.maximumTime}, {PenaltyColumn, times.penaltyTime}};
    for (const auto &[column, text] : columns) {
        item->setText(column, text);
        item->setData(column, Qt::ForegroundRole, item->parent() ? QVariant(QPalette().brush(QPalette::Disabled, QPalette::Text)) : QVariant());
    }
    for (int i = 0; i < item->childCount(); ++i)
        showClassItem(item->child(i));
}

QStringList subClassNames(const QTreeWidgetItem *item)
{
    QStringList names;
    for (int i = 0; i < item->childCount(); ++i) {
        names.append(item->child(i)->text(NameColumn));
        names.append(subClassNames(item->child(i)));
    }
    return names;
}

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

TfEventInfo::TfEventInfo(const QString &eventDirectory, const ProgramFiles &program, TdmData &data,
                         SharedEventSetup &shared, QWidget *parent)
    : QDialog(parent)
    , m_eventDirectory(eventDirectory)
    , m_program(program)
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
    auto *menuBar = new QMenuBar(this);
    menuBar->setObjectName(QStringLiteral("mmEventInfo"));
    menuBar->addMenu(m_controlsMenu->menu());
    auto *layout = new QVBoxLayout(this);
    layout->setMenuBar(menuBar);
    layout->addWidget(tabs);
    layout->addWidget(buttons);
    resize(860, 560);

    loadFiles();
    m_countriesShown = LoadCountryList(CountryListFileName(m_program));
    m_countries->setCountries(m_countriesShown);
}

QWidget *TfEventInfo::createSettingControl(const SettingDefinition &definition, QWidget *parent)
{
    const QString caption = tr(definition.caption);
    QWidget *control = nullptr;
    switch (definition.kind) {
    case SettingKind::Text:
    case SettingKind::MapNumber:
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
    // Any edit, even one that types the value shown again, replaces an unreadable text.
    const auto edited = [this, &definition] { settingEdited(definition); };
    QList<QLineEdit *> edits = control->findChildren<QLineEdit *>();
    if (auto *edit = qobject_cast<QLineEdit *>(control))
        edits.append(edit);
    for (QLineEdit *edit : edits)
        connect(edit, &QLineEdit::textEdited, this, edited);
    if (auto *spin = qobject_cast<QSpinBox *>(control))
        connect(spin, &QSpinBox::valueChanged, this, edited);
    if (auto *picker = qobject_cast<QDateTimeEdit *>(control))
        connect(picker, &QDateTimeEdit::dateTimeChanged, this, edited);
    QList<QAbstractButton *> buttons = control->findChildren<QAbstractButton *>();
    if (auto *button = qobject_cast<QAbstractButton *>(control))
        buttons.append(button);
    for (QAbstractButton *button : buttons)
        connect(button, &QAbstractButton::clicked, this, edited);
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
        } else if (&definition == &SettingOf(&EventSettings::resultHeader)) {
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
    tvClassList->setHeaderLabels({tr("Class"), tr("Start time"), tr("Maximum time"), tr("Penalty time")});
    tvClassList->setSortingEnabled(true);
    tvClassList->sortByColumn(NameColumn, Qt::AscendingOrder);
    // The order is the class table's; the header does not change it.
    tvClassList->header()->setSectionsClickable(false);
    tvClassList->header()->setSortIndicatorShown(false);
    tvClassList->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    connect(tvClassList, &QTreeWidget::itemSelectionChanged, this, &TfEventInfo::showSelectedClass);

    auto *column = new QVBoxLayout;
    addSettingsOfTab("Classes", page, column);
    auto *add = new QPushButton(tr("Add Class"), page);
    add->setObjectName(QStringLiteral("btnAddClass"));
    connect(add, &QPushButton::clicked, this, &TfEventInfo::btnAddClassClick);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(add);
    buttons->addStretch();
    column->addLayout(buttons);
    column->addSpacing(8);
    column->addWidget(createClassEditor(page));
    column->addStretch();

    auto *layout = new QHBoxLayout(page);
    layout->addWidget(tvClassList, 3);
    layout->addLayout(column, 2);
    showSelectedClass();
    return page;
}

QWidget *TfEventInfo::createClassEditor(QWidget *parent)
{
    auto *box = new QGroupBox(tr("Selected class"), parent);
    box->setObjectName(QStringLiteral("gbSelectedClass"));
    gbSelectedClass = box;
    const auto timeEdit = [box](const char *name, const char *mask) {
        auto *edit = new QLineEdit(box);
        edit->setObjectName(QString::fromLatin1(name));
        edit->setInputMask(inputMaskOf(mask));
        return edit;
    };
    eEditClassName = new QLineEdit(box);
    eEditClassName->setObjectName(QStringLiteral("eEditClassName"));
    meEditStartTime = timeEdit("meEditStartTime", "00:00:00");
    meEditControlTime = timeEdit("meEditControlTime", "000:00:00");
    meEditPenaltyTime = timeEdit("meEditPenaltyTime", "00:00:00");
    auto *change = new QPushButton(tr("Change Class"), box);
    change->setObjectName(QStringLiteral("btnChangeClass"));
    connect(change, &QPushButton::clicked, this, &TfEventInfo::btnChangeClassClick);
    connect(eEditClassName, &QLineEdit::returnPressed, this, &TfEventInfo::btnChangeClassClick);
    auto *remove = new QPushButton(tr("Remove Class"), box);
    remove->setObjectName(QStringLiteral("btnRemoveClass"));
    connect(remove, &QPushButton::clicked, this, &TfEventInfo::btnRemoveClassClick);

    auto *form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::ExpandingFieldsGrow);
    form->addRow(tr("Class"), eEditClassName);
    form->addRow(tr("Start time"), meEditStartTime);
    form->addRow(tr("Maximum time"), meEditControlTime);
    form->addRow(tr("Penalty time"), meEditPenaltyTime);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(change);
    buttons->addWidget(remove);
    buttons->addStretch();
    auto *layout = new QVBoxLayout(box);
    layout->addLayout(form);
    layout->addLayout(buttons);
    return box;
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
    m_controlsMenu = new ControlsPageMenu(*this, *this, grid.view, grid.navigator, m_data, m_eventDirectory);
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
    removeCountry->setObjectName(QStringLiteral("sbDeleteCountry"));
    removeCountry->setText(QStringLiteral("\u2212"));
    removeCountry->setToolTip(tr("Delete country"));
    connect(removeCountry, &QToolButton::clicked, this, [this, vleCountrys] {
        const QModelIndex current = vleCountrys->currentIndex();
        if (!current.isValid())
            return;
        const QString code = m_countries->index(current.row(), 0).data().toString();
        const QString name = m_countries->index(current.row(), 1).data().toString();
        if (QMessageBox::question(this, tr("Confirm"), tr("Delete country %1 %2?").arg(code, name)) == QMessageBox::Yes)
            m_countries->removeRows(current.row(), 1);
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
    m_showing = true;
    m_unreadableShown.clear();
    const EventSettings defaults;
    for (const SettingDefinition &definition : SettingDefinitions()) {
        const UnreadableSetting *unreadable = UnreadableOf(settings, definition);
        // A plain field shows the file's text as it stands; other controls cannot, and show the default.
        markUnreadable(definition, unreadable);
        SetControlText(settingControl(definition), SettingText(unreadable && !qobject_cast<QLineEdit *>(settingControl(definition)) ? defaults : settings, definition));
        if (unreadable)
            m_unreadableShown.insert(QString::fromLatin1(definition.key));
    }
    m_showing = false;
}

void TfEventInfo::markUnreadable(const SettingDefinition &definition, const UnreadableSetting *unreadable)
{
    QWidget *control = settingControl(definition);
    control->setStyleSheet(unreadable ? QStringLiteral("color: red") : QString());
    control->setToolTip(unreadable ? unreadable->message : tr(definition.hint));
    // A mask would turn the text into another one.
    if (auto *edit = qobject_cast<QLineEdit *>(control); edit && definition.kind == SettingKind::Masked)
        edit->setInputMask(unreadable ? QString() : inputMaskOf(definition.mask));
}

void TfEventInfo::settingEdited(const SettingDefinition &definition)
{
    if (m_showing || !m_unreadableShown.remove(QString::fromLatin1(definition.key)))
        return;
    QWidget *control = settingControl(definition);
    control->setStyleSheet(QString());
    control->setToolTip(tr(definition.hint));
}

const UnreadableSetting *TfEventInfo::shownUnreadable(const SettingDefinition &definition) const
{
    return m_unreadableShown.contains(QString::fromLatin1(definition.key)) ? UnreadableOf(m_settingsShown, definition) : nullptr;
}

void TfEventInfo::takeSetting(EventSettings &settings, const SettingDefinition &definition)
{
    QWidget *control = settingControl(definition);
    if (shownUnreadable(definition)) {
        // Kept as the file holds it: whatever needs the value refuses, as `korvent-cli` does.
        std::visit([&](auto member) { settings.*member = m_settingsShown.*member; }, definition.member);
        return;
    }
    try {
        // The text each control holds goes the way of `settings set KEY=VALUE`.
        SetSettingText(settings, definition, ControlText(control).value_or(QString()));
    } catch (const KorventError &) {
        showPageOf(control);
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

bool TfEventInfo::unitNumbersPlus11() const
{
    const SettingDefinition &setting = SettingOf(&EventSettings::unitNumberPlus11);
    if (const UnreadableSetting *unreadable = shownUnreadable(setting))
        throw KorventError(unreadable->message);
    return qobject_cast<QCheckBox *>(settingControl(setting))->isChecked();
}

bool TfEventInfo::checkInOut() const
{
    const SettingDefinition &setting = SettingOf(&EventSettings::checkInOutControls);
    if (const UnreadableSetting *unreadable = shownUnreadable(setting))
        throw KorventError(unreadable->message);
    return qobject_cast<QCheckBox *>(settingControl(setting))->isChecked();
}

void TfEventInfo::showMapReference(const MapReference &map)
{
    EventSettings reference;
    ApplyMapReference(reference, map);
    for (const SettingMember member : {SettingMember(&EventSettings::mapScale), SettingMember(&EventSettings::mapOffsetX),
                                       SettingMember(&EventSettings::mapOffsetY)}) {
        const SettingDefinition &setting = SettingOf(member);
        settingEdited(setting);
        SetControlText(settingControl(setting), SettingText(reference, setting));
    }
}

void TfEventInfo::showPageOf(QWidget *widget)
{
    auto *tabs = findChild<QTabWidget *>(QStringLiteral("pcEventInfo"));
    for (int i = 0; i < tabs->count(); ++i)
        if (tabs->widget(i)->isAncestorOf(widget))
            tabs->setCurrentIndex(i);
}

ClassTree TfEventInfo::classTree() const
{
    ClassTree tree;
    std::function<void(QTreeWidgetItem *, int)> walk = [&](QTreeWidgetItem *item, int depth) {
        tree.push_back(ClassNode{ClassTreeItem::nodeText(item), depth});
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
        parents.push_back(addClassItem(parents.empty() ? nullptr : parents.back(), node.text));
    }
    tvClassList->expandAll();
}

QTreeWidgetItem *TfEventInfo::addClassItem(QTreeWidgetItem *parent, const QString &nodeText)
{
    QTreeWidgetItem *item = parent ? new ClassTreeItem(parent) : new ClassTreeItem(tvClassList);
    item->setData(NameColumn, NodeTextRole, nodeText);
    showClassItem(item);
    return item;
}

QTreeWidgetItem *TfEventInfo::selectedClass() const
{
    const QList<QTreeWidgetItem *> selected = tvClassList->selectedItems();
    return selected.isEmpty() ? nullptr : selected.constFirst();
}

void TfEventInfo::showSelectedClass()
{
    QTreeWidgetItem *item = selectedClass();
    gbSelectedClass->setEnabled(item != nullptr);
    const MainClassTimes times = item ? timesOf(item).value_or(MainClassTimes{}) : MainClassTimes{};
    eEditClassName->setText(item ? item->text(NameColumn) : QString());
    meEditStartTime->setText(times.start);
    meEditControlTime->setText(times.maximumTime);
    meEditPenaltyTime->setText(times.penaltyTime);
    // A sub-class has its main class's times.
    for (QLineEdit *edit : {meEditStartTime, meEditControlTime, meEditPenaltyTime})
        edit->setEnabled(item && !item->parent());
}

bool TfEventInfo::acceptableClass(const QString &name, const MainClassTimes *times, const QString &oldName)
{
    QString problem = ClassNameProblem(name);
    if (problem.isEmpty() && name != oldName)
        problem = DuplicateClassNameProblem(classTree(), name);
    if (problem.isEmpty() && times)
        problem = MainClassTimesProblem(*times);
    if (problem.isEmpty())
        return true;
    MessageBoxSink(this).error(problem);
    return false;
}

void TfEventInfo::btnAddClassClick()
{
    const QString name = qobject_cast<QLineEdit *>(settingControl(SettingOf(&EventSettings::newClassName)))->text().trimmed();
    if (name.isEmpty())
        return;
    QTreeWidgetItem *selected = selectedClass();
    QTreeWidgetItem *item;
    if (!selected || qobject_cast<QCheckBox *>(settingControl(SettingOf(&EventSettings::addMainClass)))->isChecked()) {
        // A half-typed time would make a class that starts at no time.
        EventSettings times;
        QStringList texts;
        try {
            for (const auto member : {&EventSettings::newClassStart, &EventSettings::newClassMaximumTime, &EventSettings::newClassPenaltyTime}) {
                takeSetting(times, SettingOf(member));
                texts.append(SettingText(times, SettingOf(member)));
            }
        } catch (const KorventError &error) {
            MessageBoxSink(this).error(error.message());
            return;
        }
        const MainClassTimes classTimes{texts[0], texts[1], texts[2]};
        if (!acceptableClass(name, &classTimes))
            return;
        item = addClassItem(nullptr, MainClassNodeText(name, classTimes));
    } else {
        if (depthOf(selected) + 1 >= ClassPathLevels) {
            QMessageBox::warning(this, tr("Korvent"), tr("Classes may be nested %1 levels deep at most").arg(ClassPathLevels));
            return;
        }
        if (!acceptableClass(name, nullptr))
            return;
        item = addClassItem(selected, name);
        selected->setExpanded(true);
    }
    tvClassList->setCurrentItem(item);
}

void TfEventInfo::btnChangeClassClick()
{
    QTreeWidgetItem *item = selectedClass();
    if (!item)
        return;
    const QString name = eEditClassName->text().trimmed();
    const bool mainClass = item->parent() == nullptr;
    const MainClassTimes times{meEditStartTime->text(), meEditControlTime->text(), meEditPenaltyTime->text()};
    const QString oldName = item->text(NameColumn);
    if (!acceptableClass(name, mainClass ? &times : nullptr, oldName))
        return;
    const qint64 entered = name == oldName ? 0 : TeamsEnteredInClass(m_data.connection(), oldName);
    if (entered > 0) {
        const QString question = tr("Teams entered in class %1: %2. They keep that class and are left out of the results until it "
                                    "is changed. Rename the class to %3?")
                                     .arg(oldName)
                                     .arg(entered)
                                     .arg(name);
        if (QMessageBox::question(this, tr("Confirm"), question, QMessageBox::Yes | QMessageBox::No, QMessageBox::No) != QMessageBox::Yes)
            return;
    }
    item->setData(NameColumn, NodeTextRole, mainClass ? MainClassNodeText(name, times) : name);
    showClassItem(item);
    tvClassList->sortItems(NameColumn, Qt::AscendingOrder);
    tvClassList->scrollToItem(item);
}

void TfEventInfo::btnRemoveClassClick()
{
    QTreeWidgetItem *selected = selectedClass();
    if (!selected)
        return;
    const QString name = selected->text(NameColumn);
    const QStringList subClasses = subClassNames(selected);
    QString question = subClasses.isEmpty()
        ? tr("Remove class %1?").arg(name)
        : tr("Remove class %1 with its sub-classes %2?").arg(name, subClasses.join(QStringLiteral(", ")));
    qint64 entered = 0;
    for (const QString &removed : QStringList{name} + subClasses)
        entered += TeamsEnteredInClass(m_data.connection(), removed);
    if (entered > 0)
        question += u'\n' + tr("Teams entered in them: %1. They will be left out of the results.").arg(entered);
    if (QMessageBox::question(this, tr("Confirm"), question, QMessageBox::Yes | QMessageBox::No, QMessageBox::No) != QMessageBox::Yes)
        return;
    delete selected;
    // Nothing stays selected: another click removes nothing without a new choice.
    tvClassList->clearSelection();
    tvClassList->setCurrentItem(nullptr);
    showSelectedClass();
}

void TfEventInfo::sbOpenFileClick()
{
    auto *header = qobject_cast<QLineEdit *>(settingControl(SettingOf(&EventSettings::resultHeader)));
    const QString fileName = ChooseFileName(this, {.caption = tr("Report header file"),
                                                   .start = m_program.namedFile(header->text()),
                                                   .filters = tr("HTML files (*.htm)"),
                                                   .defaultSuffix = QStringLiteral("htm"),
                                                   .objectName = QStringLiteral("odResultHeader")});
    if (!fileName.isEmpty())
        header->setText(fileName);
}

void TfEventInfo::loadFiles()
{
    m_filesShown = EventSetupStampsOf(m_eventDirectory);
    const EventSettings loaded = EventSettings::load(m_eventDirectory);
    m_settingsShown = loaded;
    showSettings(loaded);
    // Read back from the controls: a value a control shows in its own way is
    // not taken for an edit.
    m_settingsShown = shownSettings(loaded);
    setClassTree(EventRecords(m_eventDirectory).loadClassTree());
    m_treeShown = classTree();
}

EventSettings TfEventInfo::shownSettings(const EventSettings &fallback)
{
    EventSettings shown = fallback;
    for (const SettingDefinition &definition : SettingDefinitions()) {
        if (shownUnreadable(definition))
            continue;
        try {
            SetSettingText(shown, definition, ControlText(settingControl(definition)).value_or(QString()));
        } catch (const KorventError &) {
        }
    }
    return shown;
}

void TfEventInfo::save(const EventSettings &current)
{
    m_filesShown.reset();
    const EventSettings saved = EventSettings::update(m_eventDirectory, [&](EventSettings &onDisk) {
        for (const SettingDefinition &definition : SettingDefinitions()) {
            const QString text = SettingText(current, definition);
            if (text != SettingText(m_settingsShown, definition))
                SetSettingText(onDisk, definition, text);
        }
    });
    // An emptied tree leaves the last stored one in place, and that one stays
    // the program's tree.
    ClassTree tree = classTree();
    const EventRecords records(m_eventDirectory);
    if (tree.empty() || tree == m_treeShown)
        tree = records.loadClassTree();
    else
        // Classes another seat changed meanwhile stay beside the ones changed here.
        tree = records.updateClassTree([&](const ClassTree &stored) { return SortedClassTree(MergedClassTree(m_treeShown, tree, stored)); });
    // Only a changed list becomes the user's own: an unchanged one keeps
    // following the list the program ships.
    if (m_countries->countries() != m_countriesShown) {
        SaveCountryList(OwnCountryListFileName(m_program), m_countries->countries());
        m_countriesShown = m_countries->countries();
    }

    m_shared.publish(EventSetup{saved, tree});
    // What other programs changed meanwhile is shown from now on.
    loadFiles();
}

void TfEventInfo::showEvent(QShowEvent *event)
{
    // Closing saved every edit, so nothing of the operator's is lost here: a
    // change another program made to the files since is shown (and kept by
    // the next close) instead of being written over with what the window held.
    if (m_filesShown && EventSetupStampsOf(m_eventDirectory) != *m_filesShown)
        loadFiles();
    tvClassList->expandAll();
    showSelectedClass();
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
