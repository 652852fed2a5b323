#include "store/ui/lmTimeEdit.h"

#include <QApplication>
#include <QFontDatabase>
#include <QKeyEvent>

TlmTimeEdit::TlmTimeEdit(QWidget *parent)
    : QLineEdit(parent)
{
    resize(80, 24);
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setBold(true);
    setFont(font);
    setAcceptDrops(false);
    setContextMenuPolicy(Qt::NoContextMenu);
    setTimeFormat(TlmTimeEditFormat::hhmmss);
}

void TlmTimeEdit::setTimeFormat(TlmTimeEditFormat format)
{
    m_format = format;
    const TimeFormatInfo &info = timeFormatInfo(format);
    setMaxLength(info.length);
    setText(QString::fromLatin1(info.initial));
    m_timeInt = ::StrToTimeMS(m_format, text());
    CursorToStart();
}

void TlmTimeEdit::setTimeFormatIndex(int index)
{
    if (index >= 0 && index < TimeFormatCount)
        setTimeFormat(static_cast<TlmTimeEditFormat>(index));
}

void TlmTimeEdit::setTimeStr(const QString &value)
{
    setTimeInt(StrToTimeMS(value));
}

void TlmTimeEdit::setTimeInt(qint64 value)
{
    m_timeInt = value;
    setText(IntMSToString(value));
    CursorToStart();
}

qint64 TlmTimeEdit::StrToTimeMS(const QString &text) const
{
    return ::StrToTimeMS(m_format, text);
}

QString TlmTimeEdit::IntMSToString(qint64 hundredths) const
{
    return ::IntMSToString(m_format, hundredths);
}

void TlmTimeEdit::CursorToStart()
{
    setCursorPosition(0);
}

bool TlmTimeEdit::isSeparatorAt(int position) const
{
    const QChar mask = maskDigitAt(position);
    return !mask.isNull() && !mask.isDigit();
}

QChar TlmTimeEdit::maskDigitAt(int position) const
{
    const char *mask = timeFormatInfo(m_format).mask;
    return position >= 0 && position < static_cast<int>(qstrlen(mask)) ? QChar::fromLatin1(mask[position]) : QChar();
}

void TlmTimeEdit::reject()
{
    QApplication::beep();
    emit keyRejected();
}

// The caret stands before the character a digit overwrites, so it stays
// within the text's characters; moving past the last one is AutoEnter's cue.
void TlmTimeEdit::moveRight()
{
    int position = cursorPosition() + 1;
    if (position < text().size() && isSeparatorAt(position))
        ++position;
    if (position >= text().size()) {
        if (m_autoEnter)
            emit OnReady();
        return;
    }
    setCursorPosition(position);
}

void TlmTimeEdit::moveLeft()
{
    int position = cursorPosition() - 1;
    if (position >= 0 && isSeparatorAt(position))
        --position;
    if (position >= 0)
        setCursorPosition(position);
}

void TlmTimeEdit::typeDigit(QChar digit)
{
    int position = cursorPosition();
    if (isSeparatorAt(position)) {
        ++position;
        setCursorPosition(position);
    }
    const QChar allowed = maskDigitAt(position);
    if (position >= text().size() || !allowed.isDigit() || digit > allowed) {
        reject();
        return;
    }
    QString shown = text();
    shown[position] = digit;
    setText(shown);
    setCursorPosition(position);
    m_timeInt = StrToTimeMS(shown);
    moveRight();
}

void TlmTimeEdit::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
        setText(QString::fromLatin1(timeFormatInfo(m_format).initial));
        m_timeInt = StrToTimeMS(text());
        CursorToStart();
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        emit OnReady();
        break;
    case Qt::Key_Home:
        CursorToStart();
        break;
    case Qt::Key_Left:
        moveLeft();
        break;
    case Qt::Key_Right:
        moveRight();
        break;
    default:
        if (event->key() >= Qt::Key_0 && event->key() <= Qt::Key_9)
            typeDigit(QChar(u'0' + (event->key() - Qt::Key_0)));
        else
            reject();
        break;
    }
    event->accept();
}

void TlmTimeEdit::mouseMoveEvent(QMouseEvent *event)
{
    event->accept();
}
