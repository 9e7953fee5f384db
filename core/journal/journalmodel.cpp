#include "journalmodel.h"

#include "journalcsv.h"

namespace dalko::journal {

JournalModel::JournalModel(const NumberFormat &format, QObject *parent)
    : QSqlQueryModel(parent), m_format(format)
{}

void JournalModel::show(const Journal &journal, const Filter &filter)
{
    setQuery(journal.select(filter));
}

qint64 JournalModel::id(int row) const { return QSqlQueryModel::data(index(row, Id)).toLongLong(); }

report::Calculator JournalModel::calculator(int row) const
{
    return QSqlQueryModel::data(index(row, Calculator)).toString() == u"boiler"
               ? report::Calculator::Boiler
               : report::Calculator::General;
}

State JournalModel::state(int row) const
{
    return stateNamed(QSqlQueryModel::data(index(row, Status)).toString());
}

int JournalModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant JournalModel::data(const QModelIndex &index, int role) const
{
    if (role == Qt::TextAlignmentRole && index.column() == Total)
        return QVariant(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole)
        return QSqlQueryModel::data(index, role);
    const QVariant value = QSqlQueryModel::data(index, role);
    switch (index.column()) {
    case Date:
        return dateText(QDate::fromString(value.toString(), Qt::ISODate), m_format);
    case Calculator:
        return calculatorTitle(calculator(index.row()));
    case Total:
        return moneyText(value.toLongLong() / 100.0, m_format.decimal);
    case Status:
        return stateTitle(state(index.row()));
    default:
        return value;
    }
}

QVariant JournalModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    static const QStringList titles = {QString(),
                                       QStringLiteral("Номер"),
                                       QStringLiteral("Дата"),
                                       QStringLiteral("Расчет"),
                                       QStringLiteral("Заказчик"),
                                       QStringLiteral("Объекты"),
                                       QStringLiteral("Сумма"),
                                       QStringLiteral("Состояние"),
                                       QStringLiteral("Действие")};
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return titles.value(section);
    return QSqlQueryModel::headerData(section, orientation, role);
}

} // namespace dalko::journal
