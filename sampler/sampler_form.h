#pragma once
// TSamplerForm: the test sampler's window. Its logic is TSamplerEditor; this
// class holds the widgets, forwards the user's commands (each inside the
// top-level error guard) and shows the state the editor hands it.
#include <QMainWindow>
#include <array>
#include <functional>
#include <memory>

#include "sampler/sampler_editor.h"

class QAction;
class QComboBox;
class QLabel;
class QListWidget;
class QMenu;
class QPushButton;
class QSplitter;
class QTabWidget;
class QToolBar;

namespace marvessa {

class IMessageBox;
class TDBCheckBox;
class TDBEdit;
class TDBItemList;
class TDBMemo;
class TDBNavigator;
class TDM;
class TShadowLabel;

class TSamplerForm : public QMainWindow, public ISamplerView {
  Q_OBJECT

 public:
  struct Services {
    TDM& dm;
    IMessageBox& messages;
  };
  // FormCreate: the type box selects "Single responce", the section list
  // holds the seven sections.
  explicit TSamplerForm(Services services, QWidget* parent = nullptr);
  ~TSamplerForm() override;

  // Opening from the start window: the user set opens, the first tab is
  // selected and the window shows (modal to the application). When the set
  // cannot be opened the error is shown and OnClosed brings the start
  // window back.
  void Execute();
  TSamplerEditor& Editor() { return *editor_; }

  // The window closed (the start window comes back).
  std::function<void()> OnClosed;
  // "A&bout": the about window.
  std::function<void()> OnAbout;

  struct Controls {
    QToolBar* ToolBar1;
    QAction *AddAct, *EditAct, *DelAct;  // tool bar, "&Items" menu and context menu
    QMenu *File1, *Items1, *Help1, *PopupMenu1;
    QAction *Exit1, *Emptyquestionset1, *About1;
    QSplitter* Splitter1;
    TDBItemList* ItemList;
    TShadowLabel* HeaderLabel;
    QTabWidget* PageControl1;
    std::array<QWidget*, 4> TabSheets;
    TDBMemo *QuestionMemo, *ExplanationMemo;
    QComboBox* ComboBox1;   // the type box
    QListWidget* ListBox1;  // the section list
    std::array<TDBCheckBox*, 6> AnswerBoxes;  // "a." .. "f."
    std::array<TDBEdit*, 6> AnswerEdits;
    TDBNavigator* DBNavigator1;
    QPushButton *BitBtn1, *BitBtn2;  // "Save", "Cancel"
    std::array<QLabel*, 4> Panels;   // the status bar
  };
  const Controls& Ui() const { return ui_; }

  void Apply(const TSamplerViewState& state) override;
  void ShowQuestionTab() override;
  void PageControl1Resize();

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildActions();
  void BuildMenus();
  QWidget* BuildEditArea(QWidget* parent);
  // The tabs "Test question" and "Explanation": a hint above a memo.
  QWidget* BuildMemoTab(TDBMemo*& memo, const char* field, const char* name, const QString& accessibleName,
                        const QString& hint);
  QWidget* BuildTypeTab();
  QWidget* BuildChoicesTab();
  QWidget* BuildBottomBar(QWidget* parent);
  void BuildStatusBar();
  void ConnectCommands();

  Services services_;
  std::unique_ptr<TSamplerEditor> editor_;
  Controls ui_{};
};

}  // namespace marvessa
