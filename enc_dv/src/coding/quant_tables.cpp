#include "coding/quant_tables.h"

namespace encdv {

// Shift count by area, class and QNO: the area's column of QuantPattern[QuantPatternIndex].
const int32_t AreaShift[kAreaCount][kClassCount][kQnoCount] = {
    {
        {1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},  // area 0, class 0
        {2, 2, 2, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0},  // area 0, class 1
        {3, 3, 2, 2, 2, 2, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0},  // area 0, class 2
        {4, 3, 3, 3, 3, 2, 2, 2, 2, 1, 1, 1, 1, 1, 1, 1},  // area 0, class 3
    },
    {
        {2, 2, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},  // area 1, class 0
        {3, 2, 2, 2, 2, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0},  // area 1, class 1
        {3, 3, 3, 3, 2, 2, 2, 2, 1, 1, 1, 1, 0, 0, 0, 0},  // area 1, class 2
        {4, 4, 4, 3, 3, 3, 3, 2, 2, 2, 2, 1, 1, 1, 1, 1},  // area 1, class 3
    },
    {
        {2, 2, 2, 2, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0},  // area 2, class 0
        {3, 3, 3, 2, 2, 2, 2, 1, 1, 1, 1, 0, 0, 0, 0, 0},  // area 2, class 1
        {4, 4, 3, 3, 3, 3, 2, 2, 2, 2, 1, 1, 1, 1, 0, 0},  // area 2, class 2
        {5, 4, 4, 4, 4, 3, 3, 3, 3, 2, 2, 2, 2, 1, 1, 1},  // area 2, class 3
    },
    {
        {3, 3, 2, 2, 2, 2, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0},  // area 3, class 0
        {4, 3, 3, 3, 3, 2, 2, 2, 2, 1, 1, 1, 0, 0, 0, 0},  // area 3, class 1
        {4, 4, 4, 4, 3, 3, 3, 3, 2, 2, 2, 2, 1, 1, 1, 0},  // area 3, class 2
        {5, 5, 5, 4, 4, 4, 4, 3, 3, 3, 3, 2, 2, 2, 1, 1},  // area 3, class 3
    },
};

}  // namespace encdv
