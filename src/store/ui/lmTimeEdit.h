#pragma once

// An edit box for clock times in one of the fourteen formats. Digits
// overwrite in place, separators are skipped, a digit above the mask's digit
// at its place is refused with a beep.

#include "store/lmTimeFormat.h"

#include <QLineEdit>

class TlmTimeEdit : public QLineEdit
{
    Q_OBJECT
    Q_PROPERTY(QString TimeStr READ TimeStr WRITE setTimeStr)
    Q_PROPERTY(qint64 TimeInt READ TimeInt WRITE setTimeInt)
    Q_PROPERTY(int TimeFormat READ timeFormatIndex WRITE setTimeFormatIndex)
    Q_PROPERTY(bool AutoEnter READ AutoEnter WRITE setAutoEnter)

public:
    explicit TlmTimeEdit(QWidget *parent = nullptr);

    QString TimeStr() const { return text(); }
    void setTimeStr(const QString &value);
    qint64 TimeInt() const { return m_timeInt; }
    void setTimeInt(qint64 value);
    TlmTimeEditFormat TimeFormat() const { return m_format; }
    void setTimeFormat(TlmTimeEditFormat format);
    bool AutoEnter() const { return m_autoEnter; }
    void setAutoEnter(bool value) { m_autoEnter = value; }

    qint64 StrToTimeMS(const QString &text) const;
    QString IntMSToString(qint64 hundredths) const;
    void CursorToStart();

signals:
    // Return pressed, or moved past the last place with AutoEnter set.
    void OnReady();
    // A key was refused (the control beeps as well).
    void keyRejected();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    // Mouse selection and drag-and-drop would bypass the mask; the caret alone is placed.
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    int timeFormatIndex() const { return static_cast<int>(m_format); }
    void setTimeFormatIndex(int index);
    bool isSeparatorAt(int position) const;
    QChar maskDigitAt(int position) const;
    void moveRight();
    void moveLeft();
    void typeDigit(QChar digit);
    void reject();

    TlmTimeEditFormat m_format = TlmTimeEditFormat::hhmmss;
    qint64 m_timeInt = 0;
    bool m_autoEnter = false;
};
