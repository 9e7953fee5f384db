#pragma once

#include <QComboBox>

namespace dalko {

// A drop-down list whose text the user may type over. Change is emitted when the user picks
// an item or edits the text, never when the program selects an item; a typed text that is
// not an item leaves no item selected.
class EditableList : public QComboBox {
    Q_OBJECT
  public:
    EditableList(const QStringList &items, int selected, QWidget *parent);

  signals:
    void Change();

  private:
    void syncIndexWithText(const QString &text);
};

// The item texts of one of the method's tables.
QStringList itemTexts(const auto &table)
{
    QStringList texts;
    for (const auto &entry : table)
        texts << QString::fromUtf16(entry.text);
    return texts;
}

} // namespace dalko
