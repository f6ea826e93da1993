#include "exam/session/time_text.h"

#include <cmath>
#include <stdexcept>

namespace marvessa {

long long WholeSeconds(double dayFraction) {
  return std::llround(dayFraction * 86400000.0) / 1000;
}

TTimeText::TTimeText(const QString& format) {
  auto literal = [this](const QString& text) {
    if (text.isEmpty()) return;
    if (!tokens_.empty() && tokens_.back().kind == TKind::Literal)
      tokens_.back().literal += text;
    else
      tokens_.push_back({TKind::Literal, 1, text});
  };
  for (qsizetype i = 0; i < format.size();) {
    const QChar c = format[i];
    qsizetype run = 1;
    while (i + run < format.size() && format[i + run] == c) ++run;
    if (c == u'\'') {
      const qsizetype end = format.indexOf(u'\'', i + 1);
      literal(format.mid(i + 1, (end < 0 ? format.size() : end) - i - 1));
      i = end < 0 ? format.size() : end + 1;
      continue;
    }
    if (c == u'h' || c == u'H') {
      tokens_.push_back({TKind::Hour, run >= 2 ? 2 : 1, {}});
    } else if (c == u'm') {
      tokens_.push_back({TKind::Minute, run >= 2 ? 2 : 1, {}});
    } else if (c == u's') {
      tokens_.push_back({TKind::Second, run >= 2 ? 2 : 1, {}});
    } else if (c == u'a' || c == u'A') {
      if (i + 1 < format.size() && (format[i + 1] == u'p' || format[i + 1] == u'P')) run = 2;
      tokens_.push_back({TKind::Designator, 1, {}});
      twelveHour_ = true;
    } else if (c == u'z' || c == u't') {
      // Drop the separator written before the milliseconds or the zone.
      if (!tokens_.empty() && tokens_.back().kind == TKind::Literal) {
        QString& text = tokens_.back().literal;
        text.chop(1);
        if (text.isEmpty()) tokens_.pop_back();
      }
    } else {
      literal(QString(run, c));
    }
    i += run;
  }
  while (!tokens_.empty() && tokens_.back().kind == TKind::Literal && tokens_.back().literal.trimmed().isEmpty())
    tokens_.pop_back();
}

TTimeText TTimeText::FromLocale(const QLocale& locale) { return TTimeText(locale.timeFormat(QLocale::LongFormat)); }

QString TTimeText::Format(double dayFraction) const {
  long long seconds = WholeSeconds(dayFraction) % 86400;
  if (seconds < 0) seconds += 86400;
  int hour = static_cast<int>(seconds / 3600);
  if (twelveHour_) hour = hour % 12 == 0 ? 12 : hour % 12;
  const int minute = static_cast<int>(seconds / 60 % 60), second = static_cast<int>(seconds % 60);
  QString out;
  for (const TToken& t : tokens_) {
    switch (t.kind) {
      case TKind::Hour: out += QString::number(hour).rightJustified(t.width, u'0'); break;
      case TKind::Minute: out += QString::number(minute).rightJustified(t.width, u'0'); break;
      case TKind::Second: out += QString::number(second).rightJustified(t.width, u'0'); break;
      case TKind::Designator: out += kDesignator; break;
      case TKind::Literal: out += t.literal; break;
    }
  }
  return out;
}

double TTimeText::Parse(const QString& text) const {
  auto fail = [&]() -> double {
    throw std::runtime_error(("'" + text + "' is not a valid time").toStdString());
  };
  qsizetype at = 0;
  auto number = [&](int& value) {
    qsizetype digits = 0;
    value = 0;
    while (at < text.size() && digits < 2 && text[at].isDigit()) {
      value = value * 10 + text[at].digitValue();
      ++at;
      ++digits;
    }
    return digits > 0;
  };
  int hour = 0, minute = 0, second = 0;
  for (const TToken& t : tokens_) {
    switch (t.kind) {
      case TKind::Hour:
        if (!number(hour)) return fail();
        break;
      case TKind::Minute:
        if (!number(minute)) return fail();
        break;
      case TKind::Second:
        if (!number(second)) return fail();
        break;
      case TKind::Designator:
        if (at < text.size() && text[at] == kDesignator) ++at;
        break;
      case TKind::Literal: {
        const QString lit = t.literal.trimmed();
        while (at < text.size() && text[at].isSpace() && text[at] != kDesignator) ++at;
        if (!lit.isEmpty()) {
          if (!text.mid(at).startsWith(lit)) return fail();
          at += lit.size();
        }
        break;
      }
    }
  }
  while (at < text.size() && text[at].isSpace()) ++at;
  if (at != text.size()) return fail();
  // Both designators are the same character, so a 12-hour text reads as a
  // morning time: 12 is the hour 0.
  if (twelveHour_) {
    if (hour < 1 || hour > 12) return fail();
    hour %= 12;
  }
  if (hour > 23 || minute > 59 || second > 59) return fail();
  return (hour * 3600 + minute * 60 + second) / 86400.0;
}

}  // namespace marvessa
