#include "sampler/sampler_editor.h"

#include "engine/field.h"
#include "engine/table.h"
#include "exam/data/section_names.h"
#include "prefs/error_display.h"
#include "prefs/message_box.h"
#include "sampler/data_module.h"

namespace marvessa {

namespace {

using isam::TDataSetState;

bool Editing(const isam::TIsamTable& table) {
  return table.State() == TDataSetState::dsEdit || table.State() == TDataSetState::dsInsert;
}

// Runs a step that disabled the actions; when it fails, they come back, so
// that the window stays as it was before.
template <typename F>
void WithActionsRestoredOnFailure(TSamplerEditor& editor, F step) {
  try {
    step();
  } catch (...) {
    editor.EnableActions(true);
    throw;
  }
}

}  // namespace

TSamplerEditor::TSamplerEditor(Services services) : services_(services) {
  isam::TIsamDataSource& source = services_.dm.dsUserSet;
  source.OnStateChange = [this](isam::TIsamDataSource&) { dsUserSetStateChange(); };
  source.OnDataChange = [this](isam::TIsamDataSource&, isam::TIsamField*) { dsUserSetDataChange(); };
}

TSamplerEditor::~TSamplerEditor() {
  services_.dm.dsUserSet.OnStateChange = nullptr;
  services_.dm.dsUserSet.OnDataChange = nullptr;
}

void TSamplerEditor::Open() {
  services_.dm.dtUserSet.Open();
  Show();
}

void TSamplerEditor::EnableActions(bool flag) {
  state_.addEnabled = state_.editEnabled = state_.deleteEnabled = flag;
  state_.browseEnabled = flag;
  Show();
}

void TSamplerEditor::AddActExecute() {
  services_.view.ShowQuestionTab();
  EnableActions(false);
  WithActionsRestoredOnFailure(*this, [&] { services_.dm.dtUserSet.BeginInsert(); });
}

void TSamplerEditor::EditActExecute() {
  EnableActions(false);
  // The record is locked: another user holding it makes this fail.
  WithActionsRestoredOnFailure(*this, [&] { services_.dm.dtUserSet.BeginEdit(); });
}

void TSamplerEditor::DelActExecute() {
  if (services_.messages.Ask(TMsgKind::Confirmation, kApplicationTitle, "Are you sure to delete this item?",
                             mbOK | mbCancel) != mbOK)
    return;
  services_.dm.dtUserSet.DeleteRecord();
}

void TSamplerEditor::BitBtn1Click() {
  isam::TIsamTable& table = services_.dm.dtUserSet;
  if (!Editing(table)) return;
  table.FieldNamed("Q_TYPE").SetBooleanValue(state_.typeIndex == 1);
  table.FieldNamed("Q_SECT").SetIntegerValue(state_.sectionIndex + 1);
  table.PostRecord();
  state_.panels[3] = " Saved";
  EnableActions(true);
}

void TSamplerEditor::BitBtn2Click() {
  EnableActions(true);
  services_.dm.dtUserSet.CancelRecord();
  state_.panels[3] = "";
  Show();
}

void TSamplerEditor::Emptyquestionset1Click() {
  if (services_.messages.Ask(TMsgKind::Warning, kApplicationTitle,
                             "This action will erase all items in this question set!\rAre you sure?",
                             mbOK | mbCancel) != mbOK)
    return;
  isam::TIsamTable& table = services_.dm.dtUserSet;
  // Closing drops an addition or edit in progress: the actions it disabled
  // come back whatever happens next.
  table.Close();
  EnableActions(true);
  table.SetExclusive(true);
  try {
    table.Open();
  } catch (...) {
    // Another user has the set open: nothing is removed, and the editor
    // goes on with the set as it was.
    table.SetExclusive(false);
    table.Open();
    throw;
  }
  table.RemoveAllRecords();
}

void TSamplerEditor::ImplicitEdit() {
  isam::TIsamTable& table = services_.dm.dtUserSet;
  if (table.Active() && table.State() == TDataSetState::dsBrowse) table.BeginEdit();
}

void TSamplerEditor::ComboBox1Change(int index) {
  state_.typeIndex = index;
  try {
    ImplicitEdit();
  } catch (...) {
    dsUserSetDataChange();  // the box shows the record's type again
    throw;
  }
}

void TSamplerEditor::ListBox1Click(int row) {
  state_.sectionIndex = row;
  try {
    ImplicitEdit();
  } catch (...) {
    dsUserSetDataChange();
    throw;
  }
}

bool TSamplerEditor::FormCloseQuery() {
  return services_.messages.Ask(TMsgKind::Confirmation, kApplicationTitle, "Are you sure to exit?",
                                mbOK | mbCancel) == mbOK;
}

void TSamplerEditor::FormClose() {
  isam::TIsamTable& table = services_.dm.dtUserSet;
  // Closing drops an unsaved addition or edit and releases its lock.
  table.Close();
  // The next opening shares the set again, as the first one did.
  table.SetExclusive(false);
  EnableActions(true);
  state_.panels[3] = "";
  Show();
}

void TSamplerEditor::dsUserSetStateChange() {
  switch (services_.dm.dtUserSet.State()) {
    case TDataSetState::dsBrowse:
      state_.saveEnabled = false;
      state_.panels[2] = "  Browsing";
      break;
    case TDataSetState::dsEdit:
      state_.panels[2] = " Edit Item";
      state_.header = "Edit Item";
      break;
    case TDataSetState::dsInsert:
      state_.header = "Add new item";
      state_.panels[2] = " Add new item";
      break;
    default: break;
  }
  if (Editing(services_.dm.dtUserSet)) {
    state_.saveEnabled = true;
    state_.panels[3] = " Modified";
  }
  Show();
}

void TSamplerEditor::dsUserSetDataChange() {
  isam::TIsamTable& table = services_.dm.dtUserSet;
  if (!table.Active()) return;
  if (table.State() == TDataSetState::dsBrowse) {
    const QString id = QString::number(table.FieldNamed("Q_ID").IntegerValue());
    state_.header = "Item ID: " + id;
    state_.panels[0] = " Item ID: " + id;
    state_.panels[1] = " Items: " + QString::number(table.CountRecords());
    const int section = table.FieldNamed("Q_SECT").IntegerValue();
    state_.sectionIndex = section >= 1 && section <= kSectionCount ? section - 1 : -1;
    state_.typeIndex = table.FieldNamed("Q_TYPE").BooleanValue() ? 1 : 0;
  }
  // A new record is no item yet: the set being added to shows "Add new item".
  if (table.State() != TDataSetState::dsInsert && table.IsTableEmpty()) {
    state_.editEnabled = state_.deleteEnabled = false;
    state_.header = "The question set is empty";
    state_.panels[0] = " Empty";
  }
  Show();
}

}  // namespace marvessa
