#pragma once
// TDM: the data module of the test sampler. It holds the sampler's own table
// object on the user question set (dtUserSet, "qvaultusr.DAT") and the data
// source dsUserSet that the sampler's data-aware controls attach to. The
// table names the session "Plindor", which the exam window creates and
// gives the table password before any table opens.
#include "engine/data_source.h"
#include "engine/table.h"

namespace marvessa {

class TDM {
 public:
  TDM();
  ~TDM();
  TDM(const TDM&) = delete;
  TDM& operator=(const TDM&) = delete;

  isam::TIsamTable dtUserSet;
  isam::TIsamDataSource dsUserSet;
};

}  // namespace marvessa
