#include "sampler/sampler_form.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QShortcut>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "exam/data/section_names.h"
#include "prefs/error_display.h"
#include "prefs/message_box.h"
#include "sampler/data_module.h"
#include "sampler/db_controls.h"
#include "sampler/shadow_label.h"
#include "sampler/tool_icons.h"

namespace marvessa {

namespace {

constexpr int kAnswerLeft = 44;   // the answer fields start here ...
constexpr int kAnswerRight = 10;  // ... and end this far from the tab's edge

QLabel* Hint(const QString& text, QWidget* buddy, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setBuddy(buddy);
  return label;
}

}  // namespace

TSamplerForm::TSamplerForm(Services services, QWidget* parent) : QMainWindow(parent), services_(services) {
  setObjectName("TSamplerForm");
  setWindowTitle("Plindor Test Sampler");
  setMinimumSize(646, 462);
  resize(646, 481);
  setWindowModality(Qt::ApplicationModal);

  BuildActions();
  BuildMenus();
  ui_.Splitter1 = new QSplitter(Qt::Horizontal, this);
  ui_.Splitter1->setObjectName("Splitter1");
  ui_.Splitter1->setChildrenCollapsible(false);
  ui_.ItemList = new TDBItemList(services_.dm.dsUserSet, "Q_ID", ui_.Splitter1);
  ui_.ItemList->setObjectName("ItemList");
  ui_.ItemList->setAccessibleName("Items");
  ui_.ItemList->setContextMenuPolicy(Qt::CustomContextMenu);
  ui_.ItemList->setMinimumWidth(40);
  ui_.Splitter1->addWidget(ui_.ItemList);
  ui_.Splitter1->addWidget(BuildEditArea(ui_.Splitter1));
  ui_.Splitter1->setStretchFactor(1, 1);
  ui_.Splitter1->setSizes({125, width() - 125});
  setCentralWidget(ui_.Splitter1);
  BuildStatusBar();

  editor_ = std::make_unique<TSamplerEditor>(TSamplerEditor::Services{services_.dm, services_.messages, *this});
  ConnectCommands();
  Apply(editor_->View());
}

TSamplerForm::~TSamplerForm() = default;

void TSamplerForm::BuildActions() {
  struct Spec {
    QAction*& action;
    const char* name;
    const char* caption;
    TToolIcon icon;
  };
  const Spec specs[] = {{ui_.AddAct, "AddAct", "&Add new item", TToolIcon::Add},
                        {ui_.EditAct, "EditAct", "&Edit item", TToolIcon::Edit},
                        {ui_.DelAct, "DelAct", "&Delete Item", TToolIcon::Delete}};
  ui_.ToolBar1 = addToolBar("ToolBar1");
  ui_.ToolBar1->setObjectName("ToolBar1");
  ui_.ToolBar1->setMovable(false);
  ui_.ToolBar1->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  for (const Spec& s : specs) {
    s.action = new QAction(ToolIcon(s.icon), s.caption, this);
    s.action->setObjectName(s.name);
    ui_.ToolBar1->addAction(s.action);
    QWidget* button = ui_.ToolBar1->widgetForAction(s.action);
    button->setFixedSize(96, 39);
    button->setObjectName(QString(s.name).replace("Act", "Btn"));
  }
}

void TSamplerForm::BuildMenus() {
  ui_.File1 = menuBar()->addMenu("&File");
  ui_.File1->setObjectName("File1");
  ui_.Exit1 = ui_.File1->addAction("E&xit");
  ui_.Exit1->setObjectName("Exit1");
  ui_.Items1 = menuBar()->addMenu("&Items");
  ui_.Items1->setObjectName("Items1");
  ui_.Items1->addActions({ui_.AddAct, ui_.EditAct, ui_.DelAct});
  ui_.Items1->addSeparator();
  ui_.Emptyquestionset1 = ui_.Items1->addAction("E&mpty question set");
  ui_.Emptyquestionset1->setObjectName("Emptyquestionset1");
  ui_.Help1 = menuBar()->addMenu("&Help");
  ui_.Help1->setObjectName("Help1");
  ui_.About1 = ui_.Help1->addAction("A&bout");
  ui_.About1->setObjectName("About1");
  ui_.PopupMenu1 = new QMenu(this);
  ui_.PopupMenu1->setObjectName("PopupMenu1");
  ui_.PopupMenu1->addActions({ui_.AddAct, ui_.EditAct, ui_.DelAct});
}

QWidget* TSamplerForm::BuildEditArea(QWidget* parent) {
  auto* area = new QWidget(parent);
  auto* column = new QVBoxLayout(area);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  auto* band = new QWidget(area);
  band->setObjectName("HeaderPanel");
  band->setStyleSheet("QWidget#HeaderPanel { background: grey; }");
  auto* bandRow = new QHBoxLayout(band);
  bandRow->setContentsMargins(6, 4, 6, 4);
  ui_.HeaderLabel = new TShadowLabel(band);
  ui_.HeaderLabel->setObjectName("HeaderLabel");
  bandRow->addWidget(ui_.HeaderLabel);
  column->addWidget(band);

  ui_.PageControl1 = new QTabWidget(area);
  ui_.PageControl1->setObjectName("PageControl1");
  ui_.TabSheets = {
      BuildMemoTab(ui_.QuestionMemo, "Q_TEXT", "QuestionMemo", "Test question",
                   "Enter the question text in the box bellow."),
      BuildTypeTab(), BuildChoicesTab(),
      BuildMemoTab(ui_.ExplanationMemo, "Q_EXPL", "ExplanationMemo", "Explanation", "Enter the explanation text.")};
  const char* const captions[] = {"Test question", "Type, Section", "Responce choices", "Explanation"};
  for (int i = 0; i < 4; ++i) {
    ui_.TabSheets[static_cast<size_t>(i)]->setObjectName(QString("TabSheet%1").arg(i + 1));
    ui_.PageControl1->addTab(ui_.TabSheets[static_cast<size_t>(i)], captions[i]);
  }
  column->addWidget(ui_.PageControl1, 1);
  column->addWidget(BuildBottomBar(area));
  return area;
}

QWidget* TSamplerForm::BuildMemoTab(TDBMemo*& memo, const char* field, const char* name,
                                    const QString& accessibleName, const QString& hint) {
  auto* tab = new QWidget;
  memo = new TDBMemo(services_.dm.dsUserSet, field, tab);
  memo->setObjectName(name);
  memo->setAccessibleName(accessibleName);
  auto* column = new QVBoxLayout(tab);
  column->addWidget(Hint(hint, memo, tab));
  column->addWidget(memo, 1);
  return tab;
}

QWidget* TSamplerForm::BuildTypeTab() {
  auto* tab = new QWidget;
  ui_.ComboBox1 = new QComboBox(tab);
  ui_.ComboBox1->setObjectName("ComboBox1");
  for (const char* name : kTypeNames) ui_.ComboBox1->addItem(name);
  ui_.ComboBox1->setCurrentIndex(0);
  ui_.ComboBox1->setAccessibleName("Select item type:");
  ui_.ListBox1 = new QListWidget(tab);
  ui_.ListBox1->setObjectName("ListBox1");
  ui_.ListBox1->setAccessibleName("Select item section:");
  for (int section = 1; section <= kSectionCount; ++section) ui_.ListBox1->addItem(SectionNames(section));
  auto* column = new QVBoxLayout(tab);
  column->addWidget(Hint("Select item type:", ui_.ComboBox1, tab));
  column->addWidget(ui_.ComboBox1);
  column->addSpacing(8);
  column->addWidget(Hint("Select item section:", ui_.ListBox1, tab));
  column->addWidget(ui_.ListBox1, 1);
  return tab;
}

QWidget* TSamplerForm::BuildChoicesTab() {
  auto* tab = new QWidget;
  auto* hint = new QLabel("Enter the responce choices and mark the correct choice(s).", tab);
  hint->move(12, 8);
  for (int i = 0; i < 6; ++i) {
    const QString letter = QString(QChar('a' + i)) + '.';
    const std::string digit = std::to_string(i + 1);
    auto* box = new TDBCheckBox(services_.dm.dsUserSet, ("A" + digit).c_str(), letter, tab);
    box->setObjectName(QString("DBCheckBox%1").arg(i + 1));
    box->setAccessibleDescription("Checked: " + letter + " is a correct choice");
    auto* edit = new TDBEdit(services_.dm.dsUserSet, ("Q" + digit).c_str(), tab);
    edit->setObjectName(QString("DBEdit%1").arg(i + 1));
    edit->setAccessibleName("Responce choice " + letter);
    const int top = 36 + i * 34;
    box->setGeometry(12, top + 2, kAnswerLeft - 12, 22);
    edit->setGeometry(kAnswerLeft, top, 200, 24);
    ui_.AnswerBoxes[static_cast<size_t>(i)] = box;
    ui_.AnswerEdits[static_cast<size_t>(i)] = edit;
  }
  // Focus goes down the rows: box, its answer, the next box.
  for (int i = 0; i < 6; ++i) {
    QWidget::setTabOrder(ui_.AnswerBoxes[static_cast<size_t>(i)], ui_.AnswerEdits[static_cast<size_t>(i)]);
    if (i < 5)
      QWidget::setTabOrder(ui_.AnswerEdits[static_cast<size_t>(i)], ui_.AnswerBoxes[static_cast<size_t>(i + 1)]);
  }
  tab->setMinimumHeight(36 + 6 * 34);
  tab->installEventFilter(this);
  return tab;
}

QWidget* TSamplerForm::BuildBottomBar(QWidget* parent) {
  auto* bar = new QWidget(parent);
  ui_.DBNavigator1 = new TDBNavigator(services_.dm.dsUserSet, bar);
  ui_.DBNavigator1->setObjectName("DBNavigator1");
  ui_.BitBtn1 = new QPushButton("Save", bar);
  ui_.BitBtn1->setObjectName("BitBtn1");
  ui_.BitBtn2 = new QPushButton("Cancel", bar);
  ui_.BitBtn2->setObjectName("BitBtn2");
  for (QPushButton* b : {ui_.BitBtn1, ui_.BitBtn2}) b->setFixedSize(85, 29);
  ui_.BitBtn1->setDefault(true);
  auto* row = new QHBoxLayout(bar);
  row->setContentsMargins(6, 4, 6, 4);
  row->addWidget(ui_.DBNavigator1);
  row->addStretch();
  row->addWidget(ui_.BitBtn1);
  row->addWidget(ui_.BitBtn2);
  return bar;
}

void TSamplerForm::BuildStatusBar() {
  QStatusBar* bar = statusBar();
  bar->setObjectName("StatusBar1");
  bar->setSizeGripEnabled(true);
  const int widths[] = {70, 80, 100, 100};
  for (int i = 0; i < 4; ++i) {
    auto* panel = new QLabel(bar);
    panel->setObjectName(QString("Panel%1").arg(i + 1));
    panel->setFixedWidth(widths[i]);
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Sunken);
    bar->addWidget(panel);
    ui_.Panels[static_cast<size_t>(i)] = panel;
  }
}

void TSamplerForm::ConnectCommands() {
  TSamplerEditor& e = *editor_;
  connect(ui_.AddAct, &QAction::triggered, this, Guarded([&e](bool) { e.AddActExecute(); }));
  connect(ui_.EditAct, &QAction::triggered, this, Guarded([&e](bool) { e.EditActExecute(); }));
  connect(ui_.DelAct, &QAction::triggered, this, Guarded([&e](bool) { e.DelActExecute(); }));
  connect(ui_.Emptyquestionset1, &QAction::triggered, this, Guarded([&e](bool) { e.Emptyquestionset1Click(); }));
  connect(ui_.Exit1, &QAction::triggered, this, [this] { close(); });
  connect(ui_.About1, &QAction::triggered, this, Guarded([this](bool) {
            if (OnAbout) OnAbout();
          }));
  connect(ui_.BitBtn1, &QPushButton::clicked, this, Guarded([&e](bool) { e.BitBtn1Click(); }));
  connect(ui_.BitBtn2, &QPushButton::clicked, this, Guarded([&e](bool) { e.BitBtn2Click(); }));
  // The window is no dialog: Enter in an answer field saves, Escape cancels.
  for (TDBEdit* edit : ui_.AnswerEdits) {
    connect(edit, &QLineEdit::returnPressed, ui_.BitBtn1, [this] {
      if (ui_.BitBtn1->isEnabled()) ui_.BitBtn1->click();
    });
    connect(edit, &TDBEdit::refused, this, [this](int maxLength) {
      services_.messages.Ask(TMsgKind::Warning, kApplicationTitle,
                             QString("A responce choice holds at most %1 characters; the text was not taken.")
                                 .arg(maxLength),
                             mbOK);
    });
  }
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  connect(escape, &QShortcut::activated, ui_.BitBtn2, [this] {
    if (ui_.BitBtn2->isEnabled()) ui_.BitBtn2->click();
  });
  connect(ui_.ComboBox1, &QComboBox::activated, this, Guarded([&e](int index) { e.ComboBox1Change(index); }));
  connect(ui_.ListBox1, &QListWidget::currentRowChanged, this, Guarded([&e](int row) { e.ListBox1Click(row); }));
  connect(ui_.ListBox1, &QListWidget::itemClicked, this,
          Guarded([this, &e](QListWidgetItem* item) { e.ListBox1Click(ui_.ListBox1->row(item)); }));
  connect(ui_.ItemList, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { ui_.PopupMenu1->popup(ui_.ItemList->viewport()->mapToGlobal(at)); });
  // TabSheet2Enter: the section list takes the focus.
  connect(ui_.PageControl1, &QTabWidget::currentChanged, this, [this](int index) {
    if (index == 1) ui_.ListBox1->setFocus();
  });
}

void TSamplerForm::Execute() {
  if (!Guard([this] { editor_->Open(); })) {
    if (OnClosed) OnClosed();
    return;
  }
  ui_.PageControl1->setCurrentIndex(0);
  show();
  ui_.ItemList->Refresh();
}

void TSamplerForm::Apply(const TSamplerViewState& s) {
  ui_.HeaderLabel->setText(s.header);
  for (size_t i = 0; i < ui_.Panels.size(); ++i) ui_.Panels[i]->setText(s.panels[i]);
  ui_.BitBtn1->setEnabled(s.saveEnabled);
  ui_.BitBtn2->setEnabled(s.saveEnabled);
  ui_.AddAct->setEnabled(s.addEnabled);
  ui_.EditAct->setEnabled(s.editEnabled);
  ui_.DelAct->setEnabled(s.deleteEnabled);
  ui_.ItemList->setEnabled(s.browseEnabled);
  ui_.DBNavigator1->setEnabled(s.browseEnabled);
  {
    QSignalBlocker quiet(ui_.ComboBox1);
    ui_.ComboBox1->setCurrentIndex(s.typeIndex);
  }
  QSignalBlocker quiet(ui_.ListBox1);
  ui_.ListBox1->setCurrentRow(s.sectionIndex);
  if (s.sectionIndex < 0) ui_.ListBox1->clearSelection();
}

void TSamplerForm::ShowQuestionTab() {
  ui_.PageControl1->setCurrentIndex(0);
  ui_.QuestionMemo->setFocus();
}

void TSamplerForm::PageControl1Resize() {
  QWidget* tab = ui_.TabSheets[2];
  const int width = tab->width() - kAnswerLeft - kAnswerRight;
  for (TDBEdit* edit : ui_.AnswerEdits) edit->resize(width, edit->height());
}

bool TSamplerForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == ui_.TabSheets[2] && event->type() == QEvent::Resize) PageControl1Resize();
  return QMainWindow::eventFilter(watched, event);
}

void TSamplerForm::closeEvent(QCloseEvent* event) {
  bool close = false;
  Guard([&] { close = editor_->FormCloseQuery(); });
  if (!close) {
    event->ignore();
    return;
  }
  event->accept();
  Guard([this] { editor_->FormClose(); });
  if (OnClosed) OnClosed();
}

}  // namespace marvessa
