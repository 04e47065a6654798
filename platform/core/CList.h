// Doubly linked list addressed by POSITION handles.
#pragma once

#include "platform/core/WinTypes.h"

#include <memory>
#include <utility>

template <class TYPE, class ARG_TYPE = const TYPE&>
class CList {
    struct Node {
        TYPE value;
        Node* prev = nullptr;
        Node* next = nullptr;
    };

public:
    CList() = default;
    CList(const CList&) = delete;
    CList& operator=(const CList&) = delete;
    ~CList() { RemoveAll(); }

    INT_PTR GetCount() const { return m_count; }
    INT_PTR GetSize() const { return m_count; }
    bool IsEmpty() const { return m_count == 0; }

    TYPE& GetHead() { return Checked(m_head)->value; }
    const TYPE& GetHead() const { return Checked(m_head)->value; }
    TYPE& GetTail() { return Checked(m_tail)->value; }
    const TYPE& GetTail() const { return Checked(m_tail)->value; }

    POSITION AddHead(ARG_TYPE value) { return InsertNode(nullptr, m_head, value); }
    POSITION AddTail(ARG_TYPE value) { return InsertNode(m_tail, nullptr, value); }
    void AddTail(const CList* other)
    {
        for (Node* n = other ? other->m_head : nullptr; n; n = n->next)
            AddTail(n->value);
    }
    POSITION InsertBefore(POSITION pos, ARG_TYPE value)
    {
        if (!pos)
            return AddHead(value);
        Node* n = ToNode(pos);
        return InsertNode(n->prev, n, value);
    }
    POSITION InsertAfter(POSITION pos, ARG_TYPE value)
    {
        if (!pos)
            return AddTail(value);
        Node* n = ToNode(pos);
        return InsertNode(n, n->next, value);
    }

    TYPE RemoveHead()
    {
        Node* n = Checked(m_head);
        TYPE value = std::move(n->value);
        Unlink(n);
        return value;
    }
    TYPE RemoveTail()
    {
        Node* n = Checked(m_tail);
        TYPE value = std::move(n->value);
        Unlink(n);
        return value;
    }
    void RemoveAt(POSITION pos) { Unlink(ToNode(pos)); }
    void RemoveAll()
    {
        while (m_head)
            Unlink(m_head);
    }

    POSITION GetHeadPosition() const { return ToPos(m_head); }
    POSITION GetTailPosition() const { return ToPos(m_tail); }
    // Returns the element at pos and moves pos to the next one (nullptr at the end).
    TYPE& GetNext(POSITION& pos)
    {
        Node* n = ToNode(pos);
        pos = ToPos(n->next);
        return n->value;
    }
    const TYPE& GetNext(POSITION& pos) const
    {
        Node* n = ToNode(pos);
        pos = ToPos(n->next);
        return n->value;
    }
    TYPE& GetPrev(POSITION& pos)
    {
        Node* n = ToNode(pos);
        pos = ToPos(n->prev);
        return n->value;
    }
    const TYPE& GetPrev(POSITION& pos) const
    {
        Node* n = ToNode(pos);
        pos = ToPos(n->prev);
        return n->value;
    }
    TYPE& GetAt(POSITION pos) { return ToNode(pos)->value; }
    const TYPE& GetAt(POSITION pos) const { return ToNode(pos)->value; }
    void SetAt(POSITION pos, ARG_TYPE value) { ToNode(pos)->value = value; }

    // Position of the first element equal to value after startAfter (or from the head).
    POSITION Find(ARG_TYPE value, POSITION startAfter = nullptr) const
    {
        Node* n = startAfter ? ToNode(startAfter)->next : m_head;
        for (; n; n = n->next) {
            if (n->value == value)
                return ToPos(n);
        }
        return nullptr;
    }
    POSITION FindIndex(INT_PTR index) const
    {
        if (index < 0 || index >= m_count)
            return nullptr;
        Node* n = m_head;
        while (index-- > 0)
            n = n->next;
        return ToPos(n);
    }

private:
    static Node* ToNode(POSITION pos)
    {
        ASSERT(pos != nullptr);
        return reinterpret_cast<Node*>(pos);
    }
    static POSITION ToPos(Node* n) { return reinterpret_cast<POSITION>(n); }
    static Node* Checked(Node* n)
    {
        ASSERT(n != nullptr);
        return n;
    }
    POSITION InsertNode(Node* prev, Node* next, ARG_TYPE value)
    {
        auto owned = std::make_unique<Node>(Node{TYPE(value), prev, next});
        Node* n = owned.release();  // owned by the list from here, freed in Unlink
        if (prev)
            prev->next = n;
        else
            m_head = n;
        if (next)
            next->prev = n;
        else
            m_tail = n;
        ++m_count;
        return ToPos(n);
    }
    void Unlink(Node* n)
    {
        if (n->prev)
            n->prev->next = n->next;
        else
            m_head = n->next;
        if (n->next)
            n->next->prev = n->prev;
        else
            m_tail = n->prev;
        --m_count;
        std::unique_ptr<Node> drop(n);
    }

    Node* m_head = nullptr;
    Node* m_tail = nullptr;
    INT_PTR m_count = 0;
};
