#pragma once
// TSamplerEditor: the logic of the test sampler, the editor of the user
// question set. It carries out the window's commands on the data module's
// user set and keeps the window's texts in step with the set's state and
// current record (the data module's dsUserSetStateChange and
// dsUserSetDataChange).
//
// The window's look is described by TSamplerViewState, which the editor
// hands to its ISamplerView; the type box and the section list are part of
// it, since "Save" writes what they show. So the editor is driven and
// checked without a window.
#include <QString>
#include <array>
#include <functional>

namespace marvessa {

class IMessageBox;
class TDM;

struct TSamplerViewState {
  QString header;
  std::array<QString, 4> panels;  // the status bar
  bool saveEnabled = false;       // "Save" and "Cancel"
  bool addEnabled = true, editEnabled = true, deleteEnabled = true;
  bool browseEnabled = true;      // the item list and the record navigator
  int typeIndex = 0;              // 0 "Single responce", 1 "Multiple responces"
  int sectionIndex = 0;           // 0 .. 6 for Q_SECT 1 .. 7; -1 none
};

inline constexpr const char* kTypeNames[] = {"Single responce", "Multiple responces"};

class ISamplerView {
 public:
  virtual ~ISamplerView() = default;
  virtual void Apply(const TSamplerViewState& state) = 0;
  // Selects the tab "Test question" and puts the focus in its memo.
  virtual void ShowQuestionTab() = 0;
};

class TSamplerEditor {
 public:
  struct Services {
    TDM& dm;
    IMessageBox& messages;
    ISamplerView& view;
  };
  explicit TSamplerEditor(Services services);
  ~TSamplerEditor();
  TSamplerEditor(const TSamplerEditor&) = delete;
  TSamplerEditor& operator=(const TSamplerEditor&) = delete;

  // Opening from the start window: the user set opens.
  void Open();
  void EnableActions(bool flag);
  void AddActExecute();
  void EditActExecute();
  void DelActExecute();
  void BitBtn1Click();  // "Save"
  void BitBtn2Click();  // "Cancel"
  void Emptyquestionset1Click();
  // The user chose a type or a section.
  void ComboBox1Change(int index);
  void ListBox1Click(int row);
  // Asks "Are you sure to exit?"; true when the window may close.
  bool FormCloseQuery();
  // The window closed: whatever is not saved is dropped, the set closes.
  void FormClose();

  void dsUserSetStateChange();
  void dsUserSetDataChange();

  const TSamplerViewState& View() const { return state_; }

 private:
  // An edit started by changing a control while browsing.
  void ImplicitEdit();
  void Show() { services_.view.Apply(state_); }

  Services services_;
  TSamplerViewState state_;
};

}  // namespace marvessa
