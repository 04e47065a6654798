// Run-time class records: create objects by record or by class name (document
// templates, splitter panes, workspace loading).
#pragma once

#include "platform/ui/CCmdTarget.h"

#include <functional>
#include <memory>
#include <string>
#include <typeindex>

class CRuntimeClass {
public:
    using Factory = std::function<std::unique_ptr<CCmdTarget>()>;

    CRuntimeClass(std::string name, Factory factory) : m_name(std::move(name)), m_factory(std::move(factory)) {}

    const char* GetName() const { return m_name.c_str(); }
    std::unique_ptr<CCmdTarget> CreateObject() const { return m_factory ? m_factory() : nullptr; }
    // Creates the object as T when it is one.
    template <class T>
    std::unique_ptr<T> CreateAs() const
    {
        std::unique_ptr<CCmdTarget> obj = CreateObject();
        if (auto* t = dynamic_cast<T*>(obj.get())) {
            obj.release();
            return std::unique_ptr<T>(t);
        }
        return nullptr;
    }

    static const CRuntimeClass* FromName(const char* name);
    // Registers T (default-constructible) under name; later calls return the record.
    static const CRuntimeClass& Register(std::type_index type, const std::string& name, Factory factory);
    static std::string DemangledName(const std::type_info& type);

private:
    std::string m_name;
    Factory m_factory;
};

// The record of T, registered on first use under T's class name.
template <class T>
const CRuntimeClass* RuntimeClassOf()
{
    static const CRuntimeClass& rc = CRuntimeClass::Register(
        std::type_index(typeid(T)), CRuntimeClass::DemangledName(typeid(T)),
        [] { return std::unique_ptr<CCmdTarget>(std::make_unique<T>()); });
    return &rc;
}
