#include "model/modeltable.h"

namespace {

const ModelRow kModels[] = {
    {1, "Mira1L", {1, 0x01000001, 0x05090000, 0x000B0301, 0x0117}},
    {2, "Mira1", {2, 0x01000001, 0x05090000, 0x001F0303, 0x0117}},
    {3, "Mira2L", {3, 0x01010000, 0x05090000, 0x000B0301, 0x0117}},
    {4, "Mira2", {4, 0x01010000, 0x05090000, 0x001F0303, 0x0117}},
    {5, "Mira3L", {5, 0x0100000F, 0x05090000, 0x001F0303, 0x0227}},
    {6, "Mira3", {6, 0x0100000F, 0x05090101, 0x001F0307, 0x0227}},
    {7, "Mira4L", {7, 0x01010000, 0x05090000, 0x001F0303, 0x0227}},
    {9, "Mira5", {9, 0x0101000F, 0x05090101, 0x001F0F07, 0x0447}},
    {10, "Mira6", {10, 0x0101000F, 0x09110101, 0x001F0F07, 0x0447}},
    {11, "Mira7", {11, 0x0101001F, 0x09110101, 0x001F0F07, 0x0447}},
    {20, "Vel", {20, 0x01010001, 0x09110100, 0x001B0303, 0x000B}},
    {30, "Tobe", {30, 0x01000005, 0x05090000, 0x00021109, 0x0000}},
    {40, "SORVEL", {40, 0x0100000F, 0x05050000, 0x00090302, 0x0000}},
    {41, "SORV", {41, 0x0100000F, 0x00000000, 0x00010302, 0x0000}},
    {50, "Nimbol", {50, 0x01000001, 0x05070000, 0x000B0101, 0x0117}},
    {51, "Nimbo", {51, 0x01000001, 0x05070000, 0x000B0303, 0x0117}},
    {70, "Quil", {70, 0x01000001, 0x03090000, 0x000B0303, 0x0117}},
    {71, "Pax1", {71, 0x01000003, 0x00090000, 0x00130101, 0x0000}},
    {72, "Pax2", {72, 0x01000003, 0x00090100, 0x00130101, 0x0000}},
    {73, "Pax3", {73, 0x01000001, 0x00090100, 0x00070303, 0x0000}},
    {74, "Pax4", {74, 0x01000003, 0x03090100, 0x000B0303, 0x0117}},
    // Fallback for every other type number; stored as type 0.
    {0, "Quil", {0, 0x0101000F, 0x05090000, 0x001F0303, 0x0117}},
};
constexpr size_t kModelCount = sizeof kModels / sizeof kModels[0];

}  // namespace

const ModelRow& LookupModel(int type) {
    for (size_t i = 0; i + 1 < kModelCount; ++i) {
        if (kModels[i].type == type)
            return kModels[i];
    }
    return kModels[kModelCount - 1];
}

const char* ModelName(int type) { return LookupModel(type).modelCode; }

const ModelRow* ModelTable(size_t* count) {
    if (count)
        *count = kModelCount;
    return kModels;
}
