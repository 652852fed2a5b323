#pragma once

// Asks how to number the teams without a number: from which number (or on
// from the highest in use) and of which class (or all).

#include <QDialog>
#include <optional>

class QComboBox;
class QSpinBox;

class TfNumberTeams : public QDialog
{
    Q_OBJECT

public:
    explicit TfNumberTeams(QWidget *parent = nullptr);

    // Offers these classes besides all of them; all chosen, numbering from the highest in use.
    void reset(const QStringList &classes);
    std::optional<qint64> from() const;
    // Empty for all classes.
    QString className() const;

private:
    QSpinBox *seFrom;
    QComboBox *cbClass;
};
