// How long the window takes to show a list of a million records: filling the
// model, selecting and scrolling to the last item and painting once, as a run
// leaves List2. Prints milliseconds; the median of several runs.
//
//   sv-bench-list [RECORDS] [RUNS]

#include "engine/result_list.h"
#include "ui/qt/result_list_model.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QListView>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

int main(int argc, char* argv[]) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const std::size_t records = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 1'000'000;
  const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;

  const std::string record = "UA3AAA\r\nMO-12\r\nnotes\r\n";
  std::string bytes;
  bytes.reserve(record.size() * records);
  for (std::size_t k = 0; k < records; ++k) bytes += record;
  auto kept = std::make_shared<sv::KeptRecords>();
  for (std::size_t k = 0; k < records; ++k)
    kept->append({k * record.size(), (k + 1) * record.size()});
  const sv::ResultList list(std::make_shared<sv::StringContents>(std::move(bytes)), kept);

  std::vector<qint64> times;
  for (int run = 0; run < runs; ++run) {
    QListView view;
    view.resize(200, 134);
    view.setUniformItemSizes(true);
    sv::ResultListModel model(sv::ResultListModel::maxRowsFor(13));
    view.setModel(&model);
    view.show();
    QApplication::processEvents();

    QElapsedTimer timer;
    timer.start();
    model.setList(list);
    const QModelIndex last = model.index(model.rowCount() - 1, 0);
    view.selectionModel()->setCurrentIndex(last, QItemSelectionModel::ClearAndSelect);
    view.scrollTo(last);
    view.repaint();
    times.push_back(timer.elapsed());
  }
  std::sort(times.begin(), times.end());
  std::printf(
      "list of %zu records (%zu items): median %lld ms, min %lld ms, max %lld ms over %d runs\n",
      records, records * 3, static_cast<long long>(times[times.size() / 2]),
      static_cast<long long>(times.front()), static_cast<long long>(times.back()), runs);
  return 0;
}
