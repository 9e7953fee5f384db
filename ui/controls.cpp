#include "controls.h"

#include "editablelist.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace dalko {

QFont makeFont(const FontSpec &style)
{
    QFont font(style.face == Face::Times ? QStringLiteral("Times New Roman")
                                         : QStringLiteral("Tahoma"));
    font.setPixelSize(style.pixels);
    font.setBold(style.bold);
    font.setItalic(style.italic);
    return font;
}

namespace {

template <typename W>
W *placed(W *widget, const char *name, Place place)
{
    widget->setObjectName(QString::fromLatin1(name));
    if (place.width > 0)
        widget->setGeometry(place.x, place.y, place.width, place.height);
    else {
        widget->adjustSize();
        widget->move(place.x, place.y);
    }
    return widget;
}

} // namespace

QLabel *addLabel(QWidget *parent, const char *name, Place place, const QString &text)
{
    return placed(new QLabel(text, parent), name, place);
}

QLabel *addLabel(QWidget *parent, const char *name, Place place, const QString &text,
                 const FontSpec &font)
{
    auto *label = new QLabel(text, parent);
    label->setFont(makeFont(font));
    return placed(label, name, place);
}

QLineEdit *addEdit(QWidget *parent, const char *name, Place place, const QString &text)
{
    return placed(new QLineEdit(text, parent), name, place);
}

QPushButton *addButton(QWidget *parent, const char *name, Place place, const QString &text)
{
    auto *button = new QPushButton(text, parent);
    button->setAutoDefault(true);
    return placed(button, name, place);
}

QPushButton *addButton(QWidget *parent, const char *name, Place place, const QString &text,
                       const FontSpec &font)
{
    auto *button = addButton(parent, name, place, text);
    button->setFont(makeFont(font));
    return button;
}

QGroupBox *addGroup(QWidget *parent, const char *name, Place place, const QString &title)
{
    return placed(new QGroupBox(title, parent), name, place);
}

QCheckBox *addCheckBox(QWidget *parent, const char *name, Place place, const QString &text)
{
    return placed(new QCheckBox(text, parent), name, place);
}

EditableList *addList(QWidget *parent, const char *name, Place place, const QStringList &items,
                      int selected)
{
    return placed(new EditableList(items, selected, parent), name, place);
}

} // namespace dalko
