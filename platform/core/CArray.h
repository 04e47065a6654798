// Growable array. Without an explicit step it grows by an eighth of its size,
// at least 4 and at most 1024 elements.
#pragma once

#include "platform/core/WinTypes.h"

#include <algorithm>
#include <utility>
#include <vector>

template <class TYPE, class ARG_TYPE = const TYPE&>
class CArray {
public:
    CArray() = default;

    INT_PTR GetSize() const { return static_cast<INT_PTR>(m_data.size()); }
    INT_PTR GetCount() const { return GetSize(); }
    bool IsEmpty() const { return m_data.empty(); }
    INT_PTR GetUpperBound() const { return GetSize() - 1; }

    void SetSize(INT_PTR newSize, INT_PTR growBy = -1)
    {
        if (growBy >= 0)
            m_growBy = growBy;
        const size_t n = static_cast<size_t>(std::max<INT_PTR>(newSize, 0));
        if (n > m_data.capacity())
            Reserve(n);
        m_data.resize(n);
    }
    void FreeExtra() { m_data.shrink_to_fit(); }
    void RemoveAll() { m_data.clear(); }

    const TYPE& GetAt(INT_PTR index) const { return m_data[Checked(index)]; }
    TYPE& GetAt(INT_PTR index) { return m_data[Checked(index)]; }
    void SetAt(INT_PTR index, ARG_TYPE value) { m_data[Checked(index)] = value; }
    TYPE& ElementAt(INT_PTR index) { return m_data[Checked(index)]; }
    const TYPE& ElementAt(INT_PTR index) const { return m_data[Checked(index)]; }
    const TYPE& operator[](INT_PTR index) const { return m_data[Checked(index)]; }
    TYPE& operator[](INT_PTR index) { return m_data[Checked(index)]; }
    const TYPE* GetData() const { return m_data.data(); }
    TYPE* GetData() { return m_data.data(); }

    void SetAtGrow(INT_PTR index, ARG_TYPE value)
    {
        ASSERT(index >= 0);
        if (index < 0)
            return;
        if (index >= GetSize()) {
            TYPE copy(value);
            SetSize(index + 1);
            m_data[static_cast<size_t>(index)] = std::move(copy);
            return;
        }
        m_data[static_cast<size_t>(index)] = value;
    }
    INT_PTR Add(ARG_TYPE value)
    {
        if (m_data.size() == m_data.capacity()) {
            TYPE copy(value);  // value may live inside this array
            Grow(1);
            m_data.push_back(std::move(copy));
        } else {
            m_data.push_back(value);
        }
        return GetSize() - 1;
    }
    INT_PTR Append(const CArray& other)
    {
        const INT_PTR old = GetSize();
        Grow(other.m_data.size());
        m_data.insert(m_data.end(), other.m_data.begin(), other.m_data.end());
        return old;
    }
    void Copy(const CArray& other)
    {
        if (this != &other)
            m_data = other.m_data;
    }
    void InsertAt(INT_PTR index, ARG_TYPE value, INT_PTR count = 1)
    {
        ASSERT(index >= 0 && count >= 0);
        if (count <= 0)
            return;
        if (index > GetSize())
            SetSize(index);
        const TYPE copy(value);
        Grow(static_cast<size_t>(count));
        m_data.insert(m_data.begin() + index, static_cast<size_t>(count), copy);
    }
    void InsertAt(INT_PTR index, const CArray* other)
    {
        ASSERT(other && index >= 0);
        if (!other || other->IsEmpty())
            return;
        if (index > GetSize())
            SetSize(index);
        const std::vector<TYPE> copy(other->m_data);
        Grow(copy.size());
        m_data.insert(m_data.begin() + index, copy.begin(), copy.end());
    }
    void RemoveAt(INT_PTR index, INT_PTR count = 1)
    {
        ASSERT(index >= 0 && count >= 0 && index + count <= GetSize());
        if (index < 0 || count <= 0 || index >= GetSize())
            return;
        const INT_PTR last = std::min(index + count, GetSize());
        m_data.erase(m_data.begin() + index, m_data.begin() + last);
    }

    // Range-for support.
    auto begin() { return m_data.begin(); }
    auto end() { return m_data.end(); }
    auto begin() const { return m_data.begin(); }
    auto end() const { return m_data.end(); }

    bool operator==(const CArray& other) const { return m_data == other.m_data; }

private:
    size_t Checked(INT_PTR index) const
    {
        ASSERT(index >= 0 && index < GetSize());
        return static_cast<size_t>(index);
    }
    void Grow(size_t extra)
    {
        const size_t need = m_data.size() + extra;
        if (need > m_data.capacity())
            Reserve(need);
    }
    void Reserve(size_t need)
    {
        size_t step = static_cast<size_t>(m_growBy);
        if (m_growBy <= 0)
            step = std::clamp<size_t>(m_data.size() / 8, 4, 1024);
        m_data.reserve(std::max(need, m_data.size() + step));
    }

    std::vector<TYPE> m_data;
    INT_PTR m_growBy = -1;
};
