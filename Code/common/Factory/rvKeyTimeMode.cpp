#include "Factory/rvKeyTimeMode.h"

bool rvKeyTimeMode::_bLocalKeys = true;
