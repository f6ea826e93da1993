// item_layout_bench: how long laying out one item takes in the exam
// window's item pane, over every question of the shipped bank, at the
// designed width and at a wide one. Prints figures only.
//   QT_QPA_PLATFORM=offscreen build/rel/bin/item_layout_bench
#include <QApplication>
#include <QDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "engine/table.h"
#include "exam/data/question_tables.h"
#include "exam/presentation/item_content.h"
#include "exam/presentation/item_pane.h"

namespace {

using namespace marvessa;

void Report(const char* what, std::vector<double>& ms) {
  std::sort(ms.begin(), ms.end());
  double sum = 0;
  for (double m : ms) sum += m;
  std::printf("%-34s items=%zu mean=%.3f ms median=%.3f ms p99=%.3f ms max=%.3f ms\n", what, ms.size(),
              sum / static_cast<double>(ms.size()), ms[ms.size() / 2], ms[ms.size() * 99 / 100], ms.back());
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QDir::setCurrent(QCoreApplication::applicationDirPath());  // the bank lies beside the program
  std::vector<TItemContent> items;
  {
    TQuestionTables tables;
    tables.dtQSet.Open();
    for (tables.dtQSet.MoveFirst(); !tables.dtQSet.AtEnd(); tables.dtQSet.MoveNext())
      items.push_back(ReadItemContent(tables.dtQSet));
    tables.dtQSet.Close();
  }
  const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
  for (int width : {722, 1598}) {
    TItemPane pane;
    pane.resize(width, 420);
    pane.show();
    QCoreApplication::processEvents();
    std::vector<double> ms;
    for (int r = 0; r < rounds; ++r)
      for (const TItemContent& item : items) {
        const auto start = std::chrono::steady_clock::now();
        pane.LayoutItem(item);
        ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
      }
    char what[64];
    std::snprintf(what, sizeof what, "LayoutItem, pane %d px", width);
    Report(what, ms);
  }
  return 0;
}
