#pragma once
// Reading a printout back for the tests: the words of a PDF with their
// boxes, as poppler's `pdftotext -bbox` finds them, in millimetres from the
// top left of the printable area (6.35 mm margins), grouped into runs of
// words set close together on one line.
#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <vector>

namespace marvessa::testing {

struct TPdfRun {
  int page = 0;  // 1-based
  double left = 0, top = 0, right = 0, bottom = 0;
  QString text;
};

class TPdfText {
 public:
  explicit TPdfText(const QString& pdf) {
    QProcess tool;
    tool.start("pdftotext", {"-bbox", pdf, "-"});
    tool.waitForFinished(60000);
    const QString html = QString::fromUtf8(tool.readAllStandardOutput());
    static const QRegularExpression word(
        R"rx(<page |<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)rx");
    int page = 0;
    for (auto it = word.globalMatch(html); it.hasNext();) {
      auto m = it.next();
      if (m.captured(0).startsWith("<page")) {
        ++page;
        continue;
      }
      TPdfRun w{page, Mm(m.captured(1)), Mm(m.captured(2)), Mm(m.captured(3)), Mm(m.captured(4)),
                Unescape(m.captured(5))};
      words_.push_back(w);
      // A word continues the run before it on the same line when it follows
      // within about a blank.
      if (!runs_.empty() && runs_.back().page == page && std::abs(runs_.back().top - w.top) < 0.3 &&
          w.left > runs_.back().right && w.left - runs_.back().right < 1.2) {
        runs_.back().text += ' ' + w.text;
        runs_.back().right = w.right;
      } else {
        runs_.push_back(w);
      }
    }
    pages_ = page;
  }

  int Pages() const { return pages_; }
  const std::vector<TPdfRun>& Runs() const { return runs_; }
  // The runs with exactly this text.
  std::vector<TPdfRun> Find(const QString& text) const {
    std::vector<TPdfRun> found;
    for (const TPdfRun& r : runs_)
      if (r.text == text) found.push_back(r);
    return found;
  }
  // The places of the words of `text` printed one after the other on a
  // line, however far apart (large type, double blanks).
  std::vector<TPdfRun> FindWords(const QString& text) const {
    const QStringList tokens = text.split(' ', Qt::SkipEmptyParts);
    std::vector<TPdfRun> found;
    for (size_t i = 0; i + tokens.size() <= words_.size(); ++i) {
      bool match = true;
      for (qsizetype t = 0; match && t < tokens.size(); ++t) {
        const TPdfRun& w = words_[i + static_cast<size_t>(t)];
        match = w.text == tokens[t] && w.page == words_[i].page && std::abs(w.top - words_[i].top) < 0.3;
      }
      if (!match) continue;
      TPdfRun run = words_[i];
      run.right = words_[i + static_cast<size_t>(tokens.size()) - 1].right;
      run.text = text;
      found.push_back(run);
    }
    return found;
  }
  // The texts of the runs of one page whose left edge is near `left`, top to bottom.
  QStringList Column(int page, double left) const {
    QStringList texts;
    for (const TPdfRun& r : runs_)
      if (r.page == page && std::abs(r.left - left) < 0.6) texts << r.text;
    return texts;
  }

 private:
  static double Mm(const QString& points) { return points.toDouble() * 25.4 / 72.0 - 6.35; }
  static QString Unescape(QString s) {
    return s.replace("&lt;", "<").replace("&gt;", ">").replace("&quot;", "\"").replace("&#39;", "'").replace(
        "&amp;", "&");
  }

  std::vector<TPdfRun> words_, runs_;
  int pages_ = 0;
};

}  // namespace marvessa::testing
