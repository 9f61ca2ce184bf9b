#include "ui/main/result_list_model.h"

#include "ui/main/text_decoding.h"

#include <algorithm>
#include <climits>

namespace sv {

ResultListModel::ResultListModel(QObject* parent) : QAbstractListModel(parent) {}

void ResultListModel::setList(ResultList list) {
  beginResetModel();
  m_list = std::move(list);
  // Qt counts rows in int; past that the view shows the first INT_MAX items.
  m_rows = static_cast<int>(std::min<std::size_t>(m_list.size(), INT_MAX));
  endResetModel();
}

void ResultListModel::clear() { setList(ResultList()); }

int ResultListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : m_rows;
}

QModelIndex ResultListModel::index(int row, int column, const QModelIndex& parent) const {
  if (row < 0 || row >= m_rows || column != 0 || parent.isValid()) return QModelIndex();
  return createIndex(row, 0);
}

QVariant ResultListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= m_rows || role != Qt::DisplayRole) return QVariant();
  return decodeForDisplay(m_list.item(static_cast<std::size_t>(index.row())));
}

}  // namespace sv
