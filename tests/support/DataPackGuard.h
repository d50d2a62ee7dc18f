#pragma once
// The data archive is mounted once per process, by the first read through rvDataPack, from the
// working directory of that moment. A test that builds its own archive can read it only when no
// earlier test of the same process has used the data pack; otherwise it is skipped (ctest runs
// every test in its own process, where it always runs).
#include <gtest/gtest.h>
#include <physfs.h>

#define RV_SKIP_IF_DATA_PACK_IN_USE()                                                                        \
    if (PHYSFS_isInit())                                                                                     \
    GTEST_SKIP() << "the data archive was mounted by an earlier test of this process; run this test alone"
