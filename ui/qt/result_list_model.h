#pragma once

// A list box's items, straight from one of the run's result lists. The view
// asks only for the rows it paints, so a list of millions of items costs
// nothing until it is seen; the items are decoded for display then.
//
// A list view lays its rows out in int pixels, so it can show only so many
// rows of a given height. A longer list shows its first items, whole
// records only, and then one row that says how many items are not shown;
// both lists of a pair are cut at the same row, so they stay paired.

#include "engine/result_list.h"
#include "ui/design/list_rows.h"

#include <QAbstractListModel>

namespace sv {

class ResultListModel : public QAbstractListModel {
  Q_OBJECT

 public:
  // The most rows a view whose rows are rowHeight pixels high can lay out.
  static int maxRowsFor(int rowHeight);

  explicit ResultListModel(int maxRows, QObject* parent = nullptr);

  // Replaces every item; afterwards no item is selected.
  void setList(ResultList list);
  void clear();

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  // Called once a row whenever the view lays out its rows, so kept cheap.
  QModelIndex index(int row, int column = 0,
                    const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

 private:
  int m_maxRows;
  ResultList m_list;
  design::ListRows m_rows;
};

}  // namespace sv
