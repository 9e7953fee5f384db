#pragma once

// Small builders that place a control at its fixed position, so that each page can keep its
// geometry and texts in one table at the top of its source file.

#include <QFont>
#include <QString>
#include <QStringList>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace dalko {

class EditableList;

struct Place {
    int x = 0;
    int y = 0;
    int width = 0; // 0: as wide as the text
    int height = 0;
};

enum class Face { Tahoma, Times };
struct FontSpec {
    Face face = Face::Tahoma;
    int pixels = 11;
    bool bold = false;
    bool italic = false;
};
QFont makeFont(const FontSpec &style);

QLabel *addLabel(QWidget *parent, const char *name, Place place, const QString &text);
QLabel *addLabel(QWidget *parent, const char *name, Place place, const QString &text,
                 const FontSpec &font);
QLineEdit *addEdit(QWidget *parent, const char *name, Place place, const QString &text);
QPushButton *addButton(QWidget *parent, const char *name, Place place, const QString &text);
QPushButton *addButton(QWidget *parent, const char *name, Place place, const QString &text,
                       const FontSpec &font);
QGroupBox *addGroup(QWidget *parent, const char *name, Place place, const QString &title);
QCheckBox *addCheckBox(QWidget *parent, const char *name, Place place, const QString &text);
EditableList *addList(QWidget *parent, const char *name, Place place, const QStringList &items,
                      int selected);

} // namespace dalko
