#include "sampler/data_module.h"

#include "exam/data/question_tables.h"

namespace marvessa {

TDM::TDM() {
  SetUpTable(dtUserSet, kUserSetFile);
  dsUserSet.SetDataSet(&dtUserSet);
}

TDM::~TDM() {
  // The windows bound to the source may be gone already.
  dsUserSet.OnDataChange = nullptr;
  dsUserSet.OnStateChange = nullptr;
  dsUserSet.SetDataSet(nullptr);
}

}  // namespace marvessa
