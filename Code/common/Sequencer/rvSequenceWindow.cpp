#include "Sequencer/rvSequence.h"

// The timeline editor window. Until the window is built, the editor shows nothing and the
// timeline runs as in the player.
void rvSequence::DrawWindow(float dt)
{
    (void)dt;
}
