#pragma once

// A list box's items, straight from one of the run's result lists. The view
// asks only for the rows it paints, so a list of millions of items costs
// nothing until it is seen; the items are decoded for display then.

#include "engine/result_list.h"

#include <QAbstractListModel>

namespace sv {

class ResultListModel : public QAbstractListModel {
  Q_OBJECT

 public:
  explicit ResultListModel(QObject* parent = nullptr);

  // Replaces every item; afterwards no item is selected.
  void setList(ResultList list);
  void clear();

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  // Called once a row whenever the view lays out its rows, so kept cheap.
  QModelIndex index(int row, int column = 0,
                    const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

 private:
  ResultList m_list;
  int m_rows = 0;
};

}  // namespace sv
