#include "rvPlatform.h"

#include <cstdio>

int main(int argc, char** argv)
{
    rvPlatform::SetCommandLine(argc, argv);
    std::fprintf(stderr, "morvane: the player is not assembled yet\n");
    return 0;
}
