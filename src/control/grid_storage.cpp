#include "control/grid_storage.hpp"

namespace torvane {

// The coordinate arrays are left uninitialised: only the part a run's grid
// sizes select is ever written and read, so a small grid touches little memory.
GridStorage::GridStorage()
    : xg_storage_(std::make_unique_for_overwrite<double[]>(kBlockSize)),
      yg_storage_(std::make_unique_for_overwrite<double[]>(kBlockSize)),
      zg_storage_(std::make_unique_for_overwrite<double[]>(kBlockSize)),
      xg_(xg_storage_.get(), kBlockSize),
      yg_(yg_storage_.get(), kBlockSize),
      zg_(zg_storage_.get(), kBlockSize),
      small_(std::make_unique<Small>()) {}

}  // namespace torvane
