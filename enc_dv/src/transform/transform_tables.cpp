#include "transform/transform_tables.h"

namespace encdv {

// Placeholder until the scale tables are built.
void BuildTransformTables() {}

}  // namespace encdv
