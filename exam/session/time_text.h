#pragma once
// Times of the exam (day fractions) as text, in the user's long time format.
// The morning and afternoon designators are replaced by a single carriage
// return each, so a 12-hour format shows no visible designator and its text
// still parses back; fractions of a second are dropped. Only times below
// twelve hours parse back unchanged from a 12-hour format, which covers the
// longest time limit (600 minutes).
#include <QLocale>
#include <QString>
#include <vector>

namespace marvessa {

class TTimeText {
 public:
  // A format in Qt's notation: h/hh (12-hour when a designator is present),
  // H/HH, m/mm, s/ss, AP/ap/A/a for the designator, quoted literals; the
  // milliseconds (z) and the time zone (t) are left out.
  explicit TTimeText(const QString& format);
  static TTimeText FromLocale(const QLocale& locale = QLocale::system());

  QString Format(double dayFraction) const;
  // Throws std::runtime_error "'<text>' is not a valid time" when the text
  // does not follow the format.
  double Parse(const QString& text) const;

  static constexpr QChar kDesignator = u'\r';

 private:
  enum class TKind { Hour, Minute, Second, Designator, Literal };
  struct TToken {
    TKind kind;
    int width = 1;  // 2: zero-padded
    QString literal;
  };
  std::vector<TToken> tokens_;
  bool twelveHour_ = false;
};

// Whole seconds of a day fraction (the milliseconds dropped).
long long WholeSeconds(double dayFraction);

}  // namespace marvessa
