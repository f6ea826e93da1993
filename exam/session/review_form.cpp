#include "exam/session/review_form.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

#include "exam/data/response_table.h"
#include "exam/session/fixed_dialog.h"
#include "exam/session/review_icons.h"
#include "prefs/error_display.h"

namespace marvessa {

namespace {

inline constexpr int kIconRole = Qt::UserRole;

// Draws each entry in a cell of grid lines, lit under the mouse.
class TGridDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    if (option.state & QStyle::State_MouseOver && !(option.state & QStyle::State_Selected)) {
      QColor hover = option.palette.color(QPalette::Highlight);
      hover.setAlpha(40);
      painter->fillRect(option.rect, hover);
    }
    QStyledItemDelegate::paint(painter, option, index);
    painter->save();
    painter->setPen(QColor(0xC0, 0xC0, 0xC0));
    painter->drawRect(option.rect.adjusted(0, 0, -1, -1));
    painter->restore();
  }
};

QWidget* NewLegend(const char* name, TReviewVariant variant, QWidget* parent) {
  auto* legend = new QWidget(parent);
  legend->setObjectName(name);
  auto* row = new QHBoxLayout(legend);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(2);
  row->addStretch();
  for (const TLegendEntry& entry : ReviewLegend(variant)) {
    auto* icon = new QLabel(legend);
    icon->setPixmap(ReviewPixmap(entry.icon));
    icon->setAccessibleName(entry.text.mid(3).trimmed() + " icon");
    row->addWidget(icon);
    row->addWidget(new QLabel(entry.text, legend));
  }
  return legend;
}

}  // namespace

TReviewForm::TReviewForm(QWidget* parent) : QDialog(parent, FixedDialogFlags()) {
  setObjectName("TReviewForm");
  setWindowTitle("Items Review");
  setModal(true);

  ui_.AnsweringLegend = NewLegend("AnsweringLegend", TReviewVariant::Answering, this);
  ui_.GradedLegend = NewLegend("GradedLegend", TReviewVariant::Graded, this);
  ui_.ListView1 = new QListWidget(this);
  ui_.ListView1->setObjectName("ListView1");
  ui_.ListView1->setAccessibleName("Items");
  ui_.ListView1->setViewMode(QListView::ListMode);
  ui_.ListView1->setFlow(QListView::TopToBottom);  // entries in columns
  ui_.ListView1->setWrapping(true);
  ui_.ListView1->setResizeMode(QListView::Adjust);
  ui_.ListView1->setUniformItemSizes(true);
  ui_.ListView1->setGridSize(QSize(112, 22));
  ui_.ListView1->setIconSize(QSize(kReviewIconSize, kReviewIconSize));
  ui_.ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
  ui_.ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
  ui_.ListView1->setMouseTracking(true);
  ui_.ListView1->viewport()->setAttribute(Qt::WA_Hover);
  ui_.ListView1->setItemDelegate(new TGridDelegate(ui_.ListView1));

  ui_.BitBtn2 = new QPushButton("&Go to the selected question", this);
  ui_.BitBtn2->setObjectName("BitBtn2");
  ui_.BitBtn2->setDefault(true);
  ui_.BitBtn2->setEnabled(false);
  ui_.BitBtn2->setMinimumWidth(ui_.BitBtn2->sizeHint().width() + 16);
  ui_.BitBtn1 = new QPushButton("&Return", this);
  ui_.BitBtn1->setObjectName("BitBtn1");

  auto* column = new QVBoxLayout(this);
  column->addWidget(ui_.AnsweringLegend);
  column->addWidget(ui_.GradedLegend);
  column->addWidget(ui_.ListView1, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ui_.BitBtn2);
  buttons->addWidget(ui_.BitBtn1);
  column->addLayout(buttons);
  setFixedSize(560, 420);

  connect(ui_.ListView1, &QListWidget::itemSelectionChanged, this,
          [this] { ui_.BitBtn2->setEnabled(!ui_.ListView1->selectedItems().isEmpty()); });
  connect(ui_.ListView1, &QListWidget::doubleClicked, this, [this] { ListView1DblClick(); });
  connect(ui_.BitBtn2, &QPushButton::clicked, this, [this] { BitBtn2Click(); });
  connect(ui_.BitBtn1, &QPushButton::clicked, this, &QDialog::reject);
  ui_.GradedLegend->hide();
}

TReviewForm::~TReviewForm() = default;

void TReviewForm::FillReviewList(const TResponseTable& responses, TReviewVariant variant) {
  ui_.ListView1->clear();
  for (const TReviewEntry& e : ReviewEntries(responses, variant)) {
    auto* item = new QListWidgetItem(ReviewIcon(e.icon), e.caption, ui_.ListView1);
    item->setData(kIconRole, int(e.icon));
    item->setData(Qt::AccessibleDescriptionRole, e.state);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
  }
  ui_.AnsweringLegend->setVisible(variant == TReviewVariant::Answering);
  ui_.GradedLegend->setVisible(variant == TReviewVariant::Graded);
}

void TReviewForm::Execute() {
  ui_.BitBtn2->setEnabled(false);
  ui_.ListView1->setFocus();
  exec();
}

void TReviewForm::BitBtn2Click() { GoToSelected(); }

void TReviewForm::ListView1DblClick() { GoToSelected(); }

void TReviewForm::GoToSelected() {
  const QList<QListWidgetItem*> selected = ui_.ListView1->selectedItems();
  if (selected.isEmpty()) return;
  const int recordNumber = ui_.ListView1->row(selected.front()) + 1;
  if (!Guard([&] {
        if (OnGoToRecord) OnGoToRecord(recordNumber);
      }))
    return;
  accept();
}

void TReviewForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  CentreOnScreen(*this);
}

void TReviewForm::hideEvent(QHideEvent* event) {
  // FormClose: the next opening starts without a choice to go to.
  ui_.BitBtn2->setEnabled(false);
  QDialog::hideEvent(event);
}

}  // namespace marvessa
