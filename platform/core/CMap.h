// Hash map addressed by POSITION handles. Written CMap<KEY, VALUE> or, in the
// four-argument form, CMap<KEY, ARG_KEY, VALUE, ARG_VALUE>.
#pragma once

#include "platform/core/WinTypes.h"

#include <functional>
#include <memory>
#include <type_traits>
#include <utility>
#include <vector>

template <class KEY, class A2, class A3 = void, class A4 = void>
class CMap {
public:
    using Key = KEY;
    using Value = std::conditional_t<std::is_void_v<A3>, A2, A3>;

private:
    struct Node {
        Key key;
        Value value;
        size_t hash;
        Node* next;
    };

public:
    CMap() = default;
    CMap(const CMap&) = delete;
    CMap& operator=(const CMap&) = delete;
    ~CMap() { RemoveAll(); }

    INT_PTR GetCount() const { return m_count; }
    INT_PTR GetSize() const { return m_count; }
    bool IsEmpty() const { return m_count == 0; }

    BOOL Lookup(const Key& key, Value& value) const
    {
        const Node* n = FindNode(key);
        if (!n)
            return FALSE;
        value = n->value;
        return TRUE;
    }
    const Value* PLookup(const Key& key) const
    {
        const Node* n = FindNode(key);
        return n ? &n->value : nullptr;
    }
    Value* PLookup(const Key& key)
    {
        Node* n = FindNode(key);
        return n ? &n->value : nullptr;
    }
    Value& operator[](const Key& key)
    {
        if (Node* n = FindNode(key))
            return n->value;
        return InsertNode(key)->value;
    }
    void SetAt(const Key& key, const Value& value) { (*this)[key] = value; }
    BOOL RemoveKey(const Key& key)
    {
        if (m_buckets.empty())
            return FALSE;
        const size_t h = std::hash<Key>{}(key);
        Node** link = &m_buckets[h % m_buckets.size()];
        for (; *link; link = &(*link)->next) {
            if ((*link)->hash == h && (*link)->key == key) {
                std::unique_ptr<Node> drop(*link);
                *link = drop->next;
                --m_count;
                return TRUE;
            }
        }
        return FALSE;
    }
    void RemoveAll()
    {
        for (Node*& head : m_buckets) {
            while (head) {
                std::unique_ptr<Node> drop(head);
                head = drop->next;
            }
        }
        m_buckets.clear();
        m_count = 0;
    }
    void InitHashTable(UINT size)
    {
        if (m_count == 0 && size > 0)
            m_buckets.assign(size, nullptr);
    }

    // Iteration: pos = GetStartPosition(); while (pos) GetNextAssoc(pos, k, v);
    // the entry just returned may be removed during the walk.
    POSITION GetStartPosition() const { return ToPos(FirstFrom(0)); }
    void GetNextAssoc(POSITION& pos, Key& key, Value& value) const
    {
        const Node* n = reinterpret_cast<const Node*>(pos);
        ASSERT(n != nullptr);
        key = n->key;
        value = n->value;
        pos = ToPos(n->next ? n->next : FirstFrom(n->hash % m_buckets.size() + 1));
    }

private:
    static POSITION ToPos(const Node* n) { return reinterpret_cast<POSITION>(const_cast<Node*>(n)); }
    Node* FirstFrom(size_t bucket) const
    {
        for (; bucket < m_buckets.size(); ++bucket) {
            if (m_buckets[bucket])
                return m_buckets[bucket];
        }
        return nullptr;
    }
    Node* FindNode(const Key& key) const
    {
        if (m_buckets.empty())
            return nullptr;
        const size_t h = std::hash<Key>{}(key);
        for (Node* n = m_buckets[h % m_buckets.size()]; n; n = n->next) {
            if (n->hash == h && n->key == key)
                return n;
        }
        return nullptr;
    }
    Node* InsertNode(const Key& key)
    {
        if (static_cast<size_t>(m_count) + 1 > m_buckets.size())
            Rehash(m_buckets.empty() ? 17 : m_buckets.size() * 2 + 1);
        const size_t h = std::hash<Key>{}(key);
        Node*& head = m_buckets[h % m_buckets.size()];
        auto owned = std::make_unique<Node>(Node{key, Value(), h, head});
        head = owned.release();  // owned by the table, freed in RemoveKey/RemoveAll
        ++m_count;
        return head;
    }
    void Rehash(size_t size)
    {
        std::vector<Node*> buckets(size, nullptr);
        for (Node* head : m_buckets) {
            while (head) {
                Node* next = head->next;
                Node*& slot = buckets[head->hash % size];
                head->next = slot;
                slot = head;
                head = next;
            }
        }
        m_buckets.swap(buckets);
    }

    std::vector<Node*> m_buckets;
    INT_PTR m_count = 0;
};
