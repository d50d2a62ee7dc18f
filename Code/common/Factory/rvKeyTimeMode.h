#pragma once
// Editor option shared by the timeline and the key editors: when set ("LocalKeys"), key
// times stay relative to their effect's Start; when clear ("GlobalKeys") they are shown and
// edited in timeline time and shifted against a move of the effect's Start.
// The timeline exposes the same flag as its own static option.
struct rvKeyTimeMode
{
    static bool _bLocalKeys; // initially true
};
