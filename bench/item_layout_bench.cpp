// item_layout_bench: how long laying out one item takes in the exam
// window's item pane, over every question of the shipped bank, at the
// designed width and at a wide one. Prints figures only.
//   QT_QPA_PLATFORM=offscreen build/rel/bin/item_layout_bench
#include <QApplication>
#include <QDir>
#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <vector>

#include "engine/table.h"
#include "exam/data/question_tables.h"
#include "exam/presentation/item_content.h"
#include "exam/presentation/item_pane.h"

namespace {

using namespace marvessa;

double ThreadCpuMs() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

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
    // Wall time includes the time slices other processes take on a busy
    // machine (in steps of the scheduler's 4 ms); the thread's CPU time is
    // what the layout itself costs.
    std::vector<double> wall, cpu;
    for (int r = 0; r < rounds; ++r)
      for (const TItemContent& item : items) {
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = ThreadCpuMs();
        pane.LayoutItem(item);
        cpu.push_back(ThreadCpuMs() - cpuStart);
        wall.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
      }
    char what[64];
    std::snprintf(what, sizeof what, "LayoutItem, pane %d px, wall", width);
    Report(what, wall);
    std::snprintf(what, sizeof what, "LayoutItem, pane %d px, CPU", width);
    Report(what, cpu);
  }
  return 0;
}
