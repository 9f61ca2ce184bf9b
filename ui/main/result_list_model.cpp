#include "ui/main/result_list_model.h"

#include "ui/main/text_decoding.h"


#include <algorithm>
#include <cassert>
#include <climits>

namespace sv {

int ResultListModel::maxRowsFor(int rowHeight) {
  assert(rowHeight > 0);
  // Some room below INT_MAX for the view's own margins.
  return INT_MAX / rowHeight - 1024;
}

ResultListModel::ResultListModel(int maxRows, QObject* parent)
    : QAbstractListModel(parent), m_maxRows(std::max(maxRows, 4)) {}

QString ResultListModel::cutNote(std::uint64_t hiddenItems) {
  return QStringLiteral("... %1 more items not shown")
      .arg(static_cast<qulonglong>(hiddenItems));
}

void ResultListModel::setList(ResultList list) {
  beginResetModel();
  m_list = std::move(list);
  const std::uint64_t items = m_list.size();
  if (items <= static_cast<std::uint64_t>(m_maxRows)) {
    m_shownItems = items;
    m_rows = static_cast<int>(items);
  } else {
    // Whole records, then the note.
    m_shownItems = static_cast<std::uint64_t>(m_maxRows - 1) / 3 * 3;
    m_rows = static_cast<int>(m_shownItems) + 1;
  }
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
  const auto row = static_cast<std::uint64_t>(index.row());
  if (row == m_shownItems) return cutNote(m_list.size() - m_shownItems);
  return decodeForDisplay(m_list.item(row));
}

}  // namespace sv
