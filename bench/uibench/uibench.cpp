// uibench: the figures a candidate feels, measured in one run.
//   build/rel/bin/uibench [runs]
// - start window: from the process's start (as the kernel records it) to
//   the start window's first paint, the windows created as the program
//   creates them;
// - exam-set preparation: "All Questions" of the shipped bank and of a
//   synthetic 10^4-item bank, as the exam window builds them;
// - grading 10^3 items.
// Without a display it runs on the offscreen platform.
#include <time.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>
#include <vector>

#include "app/app_windows.h"
#include "app/main_form.h"
#include "exam/data/response_table.h"
#include "exam/printing/sample_exam.h"
#include "exam/session/grading.h"
#include "prefs/clock.h"
#include "prefs/message_box.h"
#include "prefs/settings_store.h"
#include "testing/bank_copy.h"

namespace {

using namespace marvessa;

// Milliseconds since this process was started, from /proc (the start time
// is kept in clock ticks since boot).
double MsSinceProcessStart() {
  std::ifstream stat("/proc/self/stat");
  std::string all((std::istreambuf_iterator<char>(stat)), {});
  std::istringstream fields(all.substr(all.rfind(')') + 2));
  std::string field;
  for (int i = 3; i <= 22; ++i) fields >> field;  // field 22: starttime
  const double startMs = std::stod(field) * 1000.0 / sysconf(_SC_CLK_TCK);
  timespec now{};
  clock_gettime(CLOCK_BOOTTIME, &now);
  return now.tv_sec * 1000.0 + now.tv_nsec / 1e6 - startMs;
}

struct FirstPaint : QObject {
  bool painted = false;
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Paint) painted = true;
    return false;
  }
};

struct Figures {
  std::vector<double> ms;
  void Print(const char* what, const char* target) {
    std::sort(ms.begin(), ms.end());
    std::printf("%s: runs=%zu min=%.1fms median=%.1fms max=%.1fms %s\n", what, ms.size(), ms.front(),
                ms[ms.size() / 2], ms.back(), target);
  }
};

double PrepareAllQuestions(int* items) {
  TQuestionTables tables;
  QElapsedTimer timer;
  timer.start();
  *items = BuildAllQuestionsExam(tables);
  return timer.nsecsElapsed() / 1e6;
}

// A synthetic bank of `count` items built into a folder with the program's
// own tools, as the shipped bank is built.
bool BuildSyntheticBank(const QString& folder, int count) {
  QDir content(folder + "/content");
  content.mkpath("exhibits");
  for (const char* schema : {"qvault.schema.json", "ces.schema.json", "qvaultusr.schema.json"})
    QFile::copy(QString(MARVESSA_CONTENT_DIR) + "/" + schema, content.filePath(schema));
  QProcess make;
  make.setStandardOutputFile(content.filePath("bank.jsonl"));
  make.start(MARVESSA_SYNTHETIC_BANK, {QString::number(count)});
  if (!make.waitForFinished(-1) || make.exitCode() != 0) return false;
  return QProcess::execute(MARVESSA_BUILD_BANK, {MARVESSA_ISAMTOOL, content.path(), folder + "/tables"}) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;

  // The start window, once per process: the first run is the one a
  // candidate sees.
  {
    TBankCopy copy(QCoreApplication::applicationDirPath());
    TScriptedMessageBox messages;
    TFixedClock clock{QDateTime::currentDateTimeUtc()};
    TMemorySettingsStore settings;
    TApplicationWindows windows({messages, clock, settings}, copy.Path());
    FirstPaint paint;
    windows.MainForm().installEventFilter(&paint);
    windows.MainForm().show();
    while (!paint.painted) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    std::printf("start window shown: %.0fms after the process started (resolution %ldms) target<300ms\n",
                MsSinceProcessStart(), 1000 / sysconf(_SC_CLK_TCK));
  }

  Figures shipped, synthetic, grading;
  int items = 0;
  {
    TBankCopy copy(QCoreApplication::applicationDirPath());
    for (int run = 0; run < runs; ++run) shipped.ms.push_back(PrepareAllQuestions(&items));
    std::printf("(shipped bank: %d items)\n", items);
  }
  shipped.Print("preparation, All Questions of the shipped bank", "");
  {
    QTemporaryDir scratch;
    if (!BuildSyntheticBank(scratch.path(), 10000)) {
      std::fprintf(stderr, "could not build the synthetic bank\n");
      return 1;
    }
    TBankCopy copy(scratch.path() + "/tables");
    for (int run = 0; run < runs; ++run) synthetic.ms.push_back(PrepareAllQuestions(&items));
    std::printf("(synthetic bank: %d items)\n", items);
  }
  synthetic.Print("preparation, All Questions of a 10^4-item bank", "target<100ms");

  TResponseTable responses;
  responses.Resize(1000);
  std::mt19937 draw(1000);
  for (int i = 0; i < 1000; ++i) {
    responses[i].Correct = draw() % 10 < 8;
    responses[i].Section = static_cast<int32_t>(draw() % 8);
  }
  volatile double score = 0;
  for (int run = 0; run < runs; ++run) {
    QElapsedTimer timer;
    timer.start();
    score = GradeResponses(responses).score;
    grading.ms.push_back(timer.nsecsElapsed() / 1e6);
  }
  grading.Print("grading 10^3 items", "");
  return score < 0;
}
