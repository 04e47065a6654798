#include "platform/ui/CRuntimeClass.h"

#include <cxxabi.h>

#include <cstdlib>
#include <map>
#include <mutex>

namespace {

struct Registry {
    std::mutex lock;
    std::map<std::type_index, std::unique_ptr<CRuntimeClass>> byType;
    std::map<std::string, const CRuntimeClass*> byName;
};

Registry& TheRegistry()
{
    static Registry r;
    return r;
}

}  // namespace

const CRuntimeClass& CRuntimeClass::Register(std::type_index type, const std::string& name, Factory factory)
{
    Registry& r = TheRegistry();
    std::lock_guard lock(r.lock);
    auto& slot = r.byType[type];
    if (!slot) {
        slot = std::make_unique<CRuntimeClass>(name, std::move(factory));
        r.byName[name] = slot.get();
    }
    return *slot;
}

const CRuntimeClass* CRuntimeClass::FromName(const char* name)
{
    Registry& r = TheRegistry();
    std::lock_guard lock(r.lock);
    auto it = r.byName.find(name ? name : "");
    return it == r.byName.end() ? nullptr : it->second;
}

std::string CRuntimeClass::DemangledName(const std::type_info& type)
{
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> d(abi::__cxa_demangle(type.name(), nullptr, nullptr, &status), std::free);
    return status == 0 && d ? std::string(d.get()) : std::string(type.name());
}
