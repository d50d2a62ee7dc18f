#include "List.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
struct Ring : TLS_LIST_ELEMENT
{
    explicit Ring(int id, int* deleted = nullptr) : _nId(id), _pDeleted(deleted) {}
    ~Ring() override
    {
        if (_pDeleted) ++*_pDeleted;
    }
    int _nId;
    int* _pDeleted;
};

// Walks the list both ways and checks the invariants; returns the ids from the head.
std::vector<int> Ids(const TLS_LIST& list)
{
    std::vector<int> ids;
    const TLS_LIST_ELEMENT* prev = nullptr;
    for (const TLS_LIST_ELEMENT* e = list._pHead; e; e = e->_pNext)
    {
        EXPECT_EQ(e->_pPrev, prev);
        ids.push_back(static_cast<const Ring*>(e)->_nId);
        prev = e;
    }
    EXPECT_EQ(list._pTail, prev);
    EXPECT_EQ(static_cast<int>(ids.size()), list._nCount);
    EXPECT_EQ(list._pHead == nullptr, list._nCount == 0);
    return ids;
}
} // namespace

TEST(List, AddHeadAddTailAndSupKeepTheLinksConsistent)
{
    TLS_LIST list;
    list._bKeepElements = true;
    Ring a(1), b(2), c(3), d(4);
    list.AddTail(&b);
    list.AddHead(&a);
    list.AddTail(&c);
    list.AddTail(&d);
    EXPECT_EQ(Ids(list), (std::vector<int>{1, 2, 3, 4}));

    list.Sup(&a); // head
    EXPECT_EQ(Ids(list), (std::vector<int>{2, 3, 4}));
    list.Sup(&d); // tail
    EXPECT_EQ(Ids(list), (std::vector<int>{2, 3}));
    list.Sup(&b); // middle of nothing: leaves the only element
    EXPECT_EQ(Ids(list), (std::vector<int>{3}));
    list.Sup(&c); // the only element
    EXPECT_EQ(list._pHead, nullptr);
    EXPECT_EQ(list._pTail, nullptr);
    EXPECT_EQ(list._nCount, 0);
}

TEST(List, RingMovedFromHeadToTailKeepsTheCount)
{
    TLS_LIST list;
    int deleted = 0;
    for (int i = 0; i < 5; ++i)
        list.AddTail(new Ring(i, &deleted));
    TLS_LIST_ELEMENT* head = list._pHead;
    list.Sup(head);
    list.AddTail(head);
    EXPECT_EQ(Ids(list), (std::vector<int>{1, 2, 3, 4, 0}));
    list.DeleteAll();
    EXPECT_EQ(deleted, 5);
    EXPECT_EQ(Ids(list), std::vector<int>{});
}

TEST(List, ClearDeletesOwnedElementsAndKeepsBorrowedOnes)
{
    int deleted = 0;
    {
        TLS_LIST owning;
        owning.AddTail(new Ring(1, &deleted));
        owning.AddTail(new Ring(2, &deleted));
        owning.Clear();
        EXPECT_EQ(deleted, 2);
        EXPECT_EQ(Ids(owning), std::vector<int>{});
    }
    deleted = 0;
    Ring a(1, &deleted), b(2, &deleted);
    TLS_LIST keeping;
    keeping._bKeepElements = true;
    keeping.AddTail(&a);
    keeping.AddTail(&b);
    keeping.Clear();
    EXPECT_EQ(deleted, 0);
    EXPECT_EQ(Ids(keeping), std::vector<int>{});
}

TEST(ListDeathTest, SupOfNullAsserts)
{
    TLS_LIST list;
    EXPECT_DEATH(list.Sup(nullptr), "trying to sup a NULL element");
}
