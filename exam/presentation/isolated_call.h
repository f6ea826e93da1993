#pragma once
// Running a third-party decoder where its faults cannot reach the program.
// libwmf and libemf2svg read metafiles that nobody checked for us, and
// neither is safe against a hostile one: a bad record can make them read
// wild memory or loop. So they run in a child process of their own, and
// whatever goes wrong there (a crash, a hang, an exception) ends only the
// child; the program sees "no result".
#include <QByteArray>
#include <QImage>
#include <QSize>
#include <functional>
#include <optional>

namespace marvessa {

// Calls work in a forked child and returns the bytes it produced; nothing
// when the work threw, the child died, wrote more than maxBytes, or ran
// longer than timeLimitMs (then it is killed). The child only computes and
// writes to a pipe: it leaves by _exit, running no destructors and no
// handlers of the program.
std::optional<QByteArray> RunIsolated(const std::function<QByteArray()>& work, int timeLimitMs,
                                      qint64 maxBytes);

// A picture drawn by a decoder in a child process: `drawPng` draws it and
// returns it as PNG; the PNG is read back here if the child finished in
// time and the picture's size is within the limits (and is `expected`, if
// given). A null image otherwise.
QImage DrawIsolated(const std::function<QByteArray()>& drawPng, QSize expected = {});

}  // namespace marvessa
