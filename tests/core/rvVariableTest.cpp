#include "Factory/Drivers/rvVariable.h"

#include <gtest/gtest.h>

#include <memory>

TEST(rvVariable, StartsAtZeroAndIsFoundByExactName)
{
    rvVariable v("Test.Var.a");
    EXPECT_EQ(v._fValue, 0.0f);
    EXPECT_EQ(rvVariable::Find("Test.Var.a"), &v);
    EXPECT_EQ(rvVariable::Find("Test.Var.A"), nullptr);
    EXPECT_EQ(rvVariable::Find("Test.Var."), nullptr);
    EXPECT_EQ(rvVariable::Find(""), nullptr);
}

TEST(rvVariable, FirstConstructedWinsUntilDestroyed)
{
    size_t before = rvVariable::GetAll().size();
    auto first = std::make_unique<rvVariable>("Test.Dup");
    rvVariable other("Test.Other");
    rvVariable second("Test.Dup");
    first->_fValue = 1.f;
    second._fValue = 2.f;
    EXPECT_EQ(rvVariable::Find("Test.Dup"), first.get());
    first.reset();
    EXPECT_EQ(rvVariable::Find("Test.Dup"), &second);
    // The others keep their order.
    ASSERT_EQ(rvVariable::GetAll().size(), before + 2);
    EXPECT_EQ(rvVariable::GetAll()[before], &other);
    EXPECT_EQ(rvVariable::GetAll()[before + 1], &second);
}
