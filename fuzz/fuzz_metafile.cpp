// Exhibit metafiles as a candidate's exhibit folder might hold them: damaged
// or hostile bytes go through the same checks and library as a real exhibit
// (libwmf for fuzz_wmf, libemf2svg and the SVG renderer for fuzz_emf).
// "Metafile is not valid" is the expected refusal; anything else (another
// exception, a crash, a hang, a leak) is a finding.
//
// The libraries run in a forked child, which inherits the sanitizers and
// libFuzzer's handlers: when the child dies, it too prints a report and
// writes an artifact, and the run goes on. Those are the libraries' own
// faults, contained; a finding of ours ends the run (its exit code says so).
// An artifact worth keeping goes to fuzz/regressions/wmf or emf, which
// exam/presentation/picture_loader_test.cpp replays.
#include <QGuiApplication>
#include <cstdint>

#include "exam/presentation/picture_loader.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  // The SVG renderer's text needs fonts, and fonts a GUI application.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  static QGuiApplication app(*argc, *argv);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
  try {
#ifdef MARVESSA_FUZZ_EMF
    marvessa::DecodeEmf(bytes);
#else
    marvessa::DecodeWmf(bytes);
#endif
  } catch (const marvessa::EPictureError&) {
  }
  return 0;
}
