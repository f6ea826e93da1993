#include "sampler/db_controls.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QSignalBlocker>
#include <QTimer>
#include <QToolButton>
#include <QValidator>

#include "prefs/error_display.h"

namespace marvessa {

namespace {

// Judges whole texts: one that does not fit the field is Invalid, so the line
// edit keeps its text instead of taking a shortened paste.
class TFieldLengthValidator : public QValidator {
 public:
  TFieldLengthValidator(const TFieldDataLink& link, QObject* parent) : QValidator(parent), link_(link) {}
  State validate(QString& input, int&) const override { return link_.Fits(input) ? Acceptable : Invalid; }

 private:
  const TFieldDataLink& link_;
};

}  // namespace

// ---------------------------------------------------------------- TDBEdit

TDBEdit::TDBEdit(isam::TIsamDataSource& source, const char* field, QWidget* parent)
    : QLineEdit(parent), link_(source, field) {
  setValidator(new TFieldLengthValidator(link_, this));
  link_.OnDisplay = [this] { Display(); };
  link_.OnStateChange = [this] { setReadOnly(!link_.CanModify()); };
  connect(this, &QLineEdit::textEdited, this, Guarded([this](const QString& text) { link_.Modify(text); }));
  // The validator is the only thing that rejects input here.
  connect(this, &QLineEdit::inputRejected, this, [this] { emit refused(link_.MaxLength()); });
  Display();
}

void TDBEdit::Display() {
  const QString value = link_.Text();
  if (value != text()) {
    QSignalBlocker quiet(this);
    setText(value);
  }
  setReadOnly(!link_.CanModify());
}

// ---------------------------------------------------------------- TDBMemo

TDBMemo::TDBMemo(isam::TIsamDataSource& source, const char* field, QWidget* parent)
    : QPlainTextEdit(parent), link_(source, field) {
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setTabChangesFocus(true);
  link_.OnDisplay = [this] { Display(); };
  link_.OnStateChange = [this] { setReadOnly(!link_.CanModify()); };
  connect(this, &QPlainTextEdit::textChanged, this, Guarded([this] {
            if (!showing_) link_.Modify(toPlainText());
          }));
  Display();
}

void TDBMemo::Display() {
  const QString value = link_.Text();
  if (value != toPlainText()) {
    showing_ = true;
    setPlainText(value);
    showing_ = false;
  }
  setReadOnly(!link_.CanModify());
}

// ---------------------------------------------------------------- TDBCheckBox

TDBCheckBox::TDBCheckBox(isam::TIsamDataSource& source, const char* field, const QString& caption,
                         QWidget* parent)
    : QCheckBox(caption, parent), link_(source, field) {
  link_.OnDisplay = [this] { Display(); };
  connect(this, &QCheckBox::clicked, this, Guarded([this](bool checked) { link_.Modify(checked); }));
  Display();
}

void TDBCheckBox::Display() {
  QSignalBlocker quiet(this);
  setChecked(link_.Checked());
}

// ---------------------------------------------------------------- TDBItemList

TDBItemList::TDBItemList(isam::TIsamDataSource& source, const char* field, QWidget* parent)
    : QListWidget(parent), link_(source, field) {
  setSelectionMode(QAbstractItemView::SingleSelection);
  link_.OnStale = [this] { ScheduleRefresh(); };
  link_.OnCurrentChanged = [this] { ShowCurrent(); };
  connect(this, &QListWidget::currentRowChanged, this, Guarded([this](int row) {
            if (!showing_) link_.Select(row);
          }));
  ScheduleRefresh();
}

void TDBItemList::ScheduleRefresh() {
  if (scheduled_) return;
  scheduled_ = true;
  QTimer::singleShot(0, this, Guarded([this] { Refresh(); }));
}

void TDBItemList::Refresh() {
  scheduled_ = false;
  if (!link_.Stale()) return;
  link_.Refresh();
  if (link_.Stale()) return;  // the set is being edited: later
  showing_ = true;
  const std::vector<int32_t>& values = link_.Values();
  if (count() != static_cast<int>(values.size())) {
    clear();
    for (int32_t value : values) addItem(QString::number(value));
  } else {
    for (int row = 0; row < count(); ++row) item(row)->setText(QString::number(values[static_cast<size_t>(row)]));
  }
  showing_ = false;
  ShowCurrent();
}

void TDBItemList::ShowCurrent() {
  const int row = link_.CurrentRow();
  if (row >= count()) return;  // the entries come with the refresh
  showing_ = true;
  setCurrentRow(row);
  showing_ = false;
}

// ---------------------------------------------------------------- TDBNavigator

namespace {

// A triangle pointing left or right, with a bar at the far end for "first"
// and "last".
QIcon NavigatorIcon(TNavigatorLink::TNavigateBtn button, const QColor& colour) {
  QPixmap pixmap(16, 16);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  p.setBrush(colour);
  const bool left = button == TNavigatorLink::nbFirst || button == TNavigatorLink::nbPrior;
  const bool bar = button == TNavigatorLink::nbFirst || button == TNavigatorLink::nbLast;
  QPolygonF arrow = left ? QPolygonF({QPointF(11, 3), QPointF(11, 13), QPointF(5, 8)})
                         : QPolygonF({QPointF(5, 3), QPointF(5, 13), QPointF(11, 8)});
  p.drawPolygon(arrow);
  if (bar) p.drawRect(left ? QRectF(3, 3, 2, 10) : QRectF(11, 3, 2, 10));
  return QIcon(pixmap);
}

}  // namespace

TDBNavigator::TDBNavigator(isam::TIsamDataSource& source, QWidget* parent) : QWidget(parent), link_(source) {
  static const char* const kNames[] = {"nbFirst", "nbPrior", "nbNext", "nbLast"};
  static const char* const kHints[] = {"First item", "Prior item", "Next item", "Last item"};
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(0);
  for (int i = 0; i < TNavigatorLink::kButtonCount; ++i) {
    const auto which = static_cast<TNavigatorLink::TNavigateBtn>(i);
    auto* b = new QToolButton(this);
    b->setObjectName(kNames[i]);
    b->setToolTip(kHints[i]);
    b->setAccessibleName(kHints[i]);
    b->setIcon(NavigatorIcon(which, Qt::black));
    b->setFixedSize(25, 25);
    b->setFocusPolicy(Qt::TabFocus);
    connect(b, &QToolButton::clicked, this, Guarded([this, which](bool) { link_.Click(which); }));
    row->addWidget(b);
    buttons_[static_cast<size_t>(i)] = b;
  }
  link_.OnUpdate = [this] { UpdateButtons(); };
  UpdateButtons();
}

void TDBNavigator::UpdateButtons() {
  for (int i = 0; i < TNavigatorLink::kButtonCount; ++i)
    buttons_[static_cast<size_t>(i)]->setEnabled(link_.CanMove(static_cast<TNavigatorLink::TNavigateBtn>(i)));
}

}  // namespace marvessa
