#include "Factory/rvKeyTimeMode.h"

#include "Sequencer/rvSequence.h"

// Binding a reference to a static object is constant initialisation: it holds before any
// dynamic initialiser runs.
bool& rvKeyTimeMode::_bLocalKeys = rvSequence::_bLocalKeys;
