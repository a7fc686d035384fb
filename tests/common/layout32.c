/* Compiled for a 32-bit target: the header's static assertions then check
 * every field offset of the shared records as a 32-bit caller lays them out. */
#include "common/sprite_records.h"
