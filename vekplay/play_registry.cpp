// vekplay/play_registry.cpp
#include "vekplay/play_registry.h"

#include <algorithm>
#include <atomic>
#include <map>
#include <mutex>
#include <vector>

namespace vekplay {

namespace {

struct Registry {
    std::mutex mutex;
    std::map<uint32_t, std::shared_ptr<Instance>> instances;
    uint32_t nextId = 1;
    std::shared_ptr<Host> host;
};

Registry& TheRegistry() {
    static Registry* registry = new Registry();  // outlives every static destructor
    return *registry;
}

std::atomic<bool> gWatermark{false};

}  // namespace

std::shared_ptr<Host> CurrentHost() {
    Registry& r = TheRegistry();
    std::lock_guard<std::mutex> lock(r.mutex);
    if (!r.host)
        r.host = MakeSystemHost();
    return r.host;
}

void SetHost(std::shared_ptr<Host> host) {
    Registry& r = TheRegistry();
    std::lock_guard<std::mutex> lock(r.mutex);
    r.host = std::move(host);
}

uint32_t CreateInstance(InstanceKind kind, const InstanceOptions& options) {
    Registry& r = TheRegistry();
    const std::shared_ptr<Host> host = CurrentHost();
    uint32_t id = 0;
    {
        std::lock_guard<std::mutex> lock(r.mutex);
        // Ids are not reused while the counter runs; after a wrap, live ones are skipped.
        do {
            id = r.nextId++;
        } while (id == 0 || r.instances.count(id));
        r.instances[id] = nullptr;  // reserved
    }
    std::shared_ptr<Instance> instance = Instance::Create(id, kind, host, options);
    std::lock_guard<std::mutex> lock(r.mutex);
    if (!instance) {
        r.instances.erase(id);
        return 0;
    }
    r.instances[id] = std::move(instance);
    return id;
}

std::shared_ptr<Instance> FindInstance(uint32_t handle) {
    Registry& r = TheRegistry();
    std::lock_guard<std::mutex> lock(r.mutex);
    const auto it = r.instances.find(handle);
    return it == r.instances.end() ? nullptr : it->second;
}

bool DestroyInstance(uint32_t handle) {
    Registry& r = TheRegistry();
    std::shared_ptr<Instance> instance;
    {
        std::lock_guard<std::mutex> lock(r.mutex);
        const auto it = r.instances.find(handle);
        if (it == r.instances.end() || !it->second)
            return false;
        instance = std::move(it->second);
        r.instances.erase(it);
    }
    instance->Shutdown();
    return true;
}

void DestroyAllInstances() {
    Registry& r = TheRegistry();
    std::vector<std::shared_ptr<Instance>> all;
    {
        std::lock_guard<std::mutex> lock(r.mutex);
        for (auto& entry : r.instances)
            if (entry.second)
                all.push_back(std::move(entry.second));
        r.instances.clear();
    }
    std::stable_partition(all.begin(), all.end(), [](const std::shared_ptr<Instance>& i) {
        return i->kind() == InstanceKind::kMaster;
    });
    for (auto& instance : all)
        instance->Shutdown();
}

size_t InstanceCount() {
    Registry& r = TheRegistry();
    std::lock_guard<std::mutex> lock(r.mutex);
    return r.instances.size();
}

void SetWatermark(bool on) {
    gWatermark = on;
}

bool Watermark() {
    return gWatermark;
}

}  // namespace vekplay
