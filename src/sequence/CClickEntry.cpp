#include "sequence/CClickEntry.h"

const char* const kClickTypeTexts[4] = {
    "Single Left Click",
    "Single Right Click",
    "Double Left Click",
    "Double Right Click",
};
