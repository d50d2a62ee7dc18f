#pragma once
// Editor option shared by the timeline and the key editors: when set ("LocalKeys"), key
// times stay relative to their effect's Start; when clear ("GlobalKeys") they are shown and
// edited in timeline time and shifted against a move of the effect's Start.
// The flag itself is the timeline's option rvSequence::_bLocalKeys; this is another name
// for it, so the driver code needs no timeline header.
struct rvKeyTimeMode
{
    static bool& _bLocalKeys; // initially true
};
