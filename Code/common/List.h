#pragma once
// A small intrusive doubly linked list. Elements carry their own links, so they can be moved
// between the two ends in constant time without any allocation. Unless _bKeepElements is set,
// the list owns its elements and deletes them through their virtual destructor.
#include "rvAssert.h"

#include <cstddef>

class TLS_LIST_ELEMENT
{
public:
    virtual ~TLS_LIST_ELEMENT() = default;

    TLS_LIST_ELEMENT* _pPrev = nullptr; // null at the head
    TLS_LIST_ELEMENT* _pNext = nullptr; // null at the tail
};

class TLS_LIST
{
public:
    TLS_LIST() = default;
    TLS_LIST(const TLS_LIST&) = delete;
    TLS_LIST& operator=(const TLS_LIST&) = delete;

    void AddTail(TLS_LIST_ELEMENT* pElement)
    {
        rvAssert(pElement != NULL && "TLS_LIST: trying to add a NULL element");
        pElement->_pPrev = _pTail;
        pElement->_pNext = nullptr;
        if (_pTail)
            _pTail->_pNext = pElement;
        else
            _pHead = pElement;
        _pTail = pElement;
        ++_nCount;
    }

    void AddHead(TLS_LIST_ELEMENT* pElement)
    {
        rvAssert(pElement != NULL && "TLS_LIST: trying to add a NULL element");
        pElement->_pNext = _pHead;
        pElement->_pPrev = nullptr;
        if (_pHead)
            _pHead->_pPrev = pElement;
        else
            _pTail = pElement;
        _pHead = pElement;
        ++_nCount;
    }

    // Unlinks the element; its own links stay as they were and it is not deleted.
    void Sup(TLS_LIST_ELEMENT* pElement)
    {
        rvAssert(pElement != NULL && "TLS_LIST: trying to sup a NULL element");
        if (pElement->_pPrev)
            pElement->_pPrev->_pNext = pElement->_pNext;
        else
            _pHead = pElement->_pNext;
        if (pElement->_pNext)
            pElement->_pNext->_pPrev = pElement->_pPrev;
        else
            _pTail = pElement->_pPrev;
        --_nCount;
    }

    // Unlinks and deletes every element, from the head on.
    void DeleteAll()
    {
        while (_pHead)
        {
            TLS_LIST_ELEMENT* pElement = _pHead;
            Sup(pElement);
            delete pElement;
        }
    }

    // Empties the list; the elements are deleted unless the list keeps them.
    void Clear()
    {
        if (!_bKeepElements)
        {
            DeleteAll();
            return;
        }
        while (_pHead)
            Sup(_pHead);
    }

    TLS_LIST_ELEMENT* _pHead = nullptr;
    TLS_LIST_ELEMENT* _pTail = nullptr;
    int _nCount = 0;
    bool _bKeepElements = false;
};
