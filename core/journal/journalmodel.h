#pragma once

// The register's table: the records a filter selects, newest first, fetched as the view
// scrolls, so that a journal of any length opens at once.

#include "journal.h"

#include "numbers.h"

#include <QSqlQueryModel>

namespace dalko::journal {

class JournalModel : public QSqlQueryModel {
    Q_OBJECT
  public:
    JournalModel(const NumberFormat &format, QObject *parent = nullptr);

    void show(const Journal &journal, const Filter &filter);
    qint64 id(int row) const;
    report::Calculator calculator(int row) const;
    State state(int row) const;

    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

  private:
    NumberFormat m_format;
};

} // namespace dalko::journal
