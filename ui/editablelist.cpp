#include "editablelist.h"

#include <QLineEdit>
#include <QSignalBlocker>

namespace dalko {

EditableList::EditableList(const QStringList &items, int selected, QWidget *parent)
    : QComboBox(parent)
{
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setCompleter(nullptr);
    // Long items are read from their beginning, and in full in the tooltip.
    connect(this, &QComboBox::currentIndexChanged, this, [this] {
        lineEdit()->setCursorPosition(0);
        setToolTip(currentText());
    });
    addItems(items);
    setCurrentIndex(selected);
    connect(this, &QComboBox::activated, this, &EditableList::Change);
    connect(lineEdit(), &QLineEdit::textEdited, this, [this](const QString &text) {
        syncIndexWithText(text);
        emit Change();
    });
}

void EditableList::syncIndexWithText(const QString &text)
{
    const int index = findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index == currentIndex())
        return;
    const int cursor = lineEdit()->cursorPosition();
    const QSignalBlocker blocker(this);
    setCurrentIndex(index);
    // Selecting no item clears the text; the user's text stays.
    lineEdit()->setText(text);
    lineEdit()->setCursorPosition(cursor);
}

} // namespace dalko
