#include "keyfilter.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>

namespace dalko {

std::optional<QChar> filterKeystroke(QChar typed, const QString &current, QChar separator)
{
    if (typed == u',' || typed == u'.')
        typed = separator;
    const bool accepted = (typed >= u'0' && typed <= u'9') || typed == QChar(8) ||
                          typed == QChar(13) || typed == separator;
    if (!accepted)
        return std::nullopt;
    if (typed == separator && current.contains(separator))
        return std::nullopt;
    return typed;
}

NumericKeyFilter::NumericKeyFilter(const NumberFormat &regional, QObject *parent)
    : QObject(parent), m_regional(regional)
{}

void NumericKeyFilter::bind(QLineEdit *edit) { edit->installEventFilter(this); }

bool NumericKeyFilter::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    auto *key = static_cast<QKeyEvent *>(event);
    // Shortcuts (copy, paste, select all), Delete and the focus keys are commands, not typed
    // characters, although Qt gives some of them a control character as their text.
    const bool command = key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab ||
                         key->key() == Qt::Key_Delete || (key->modifiers() & Qt::ControlModifier);
    if (key->text().size() != 1 || command)
        return false;
    auto *edit = static_cast<QLineEdit *>(watched);
    const QChar typed = key->text().front();
    const auto passed = filterKeystroke(typed, edit->text(), m_regional.decimal);
    if (!passed) {
        QApplication::beep();
        return true;
    }
    if (*passed == typed)
        return false;
    edit->insert(QString(*passed));
    return true;
}

} // namespace dalko
