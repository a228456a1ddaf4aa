// platform/handle_registry.h
//
// Live objects by handle, for libraries whose callers keep a handle in a
// 32-bit word. A handle is a non-zero id, never an address (which does not fit
// in 32 bits on 64-bit builds). Ids count up and wrap past 0, stepping over
// live ones, so a stale handle finds nothing rather than another object for a
// very long time. Registries that share a HandleCounter never hand out the
// same id, so a handle given to the wrong kind of call finds nothing too.
//
// An object may be tied to an owner's handle (a play to the login it was
// started on) so that stopping the owner can take its objects along.
// Lookups hand out shared pointers: an object taken out stays alive for the
// callers still using it.
#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

namespace platform {

class HandleCounter {
  public:
    uint32_t Next() {
        uint32_t id = 0;
        while ((id = ++value_) == 0) {
        }
        return id;
    }

  private:
    std::atomic<uint32_t> value_{0};
};

template <typename T>
class HandleRegistry {
  public:
    // `counter` (kept, not owned) is the id source; none: a counter of its own.
    explicit HandleRegistry(HandleCounter* counter = nullptr) : counter_(counter ? counter : &own_) {}
    HandleRegistry(const HandleRegistry&) = delete;
    HandleRegistry& operator=(const HandleRegistry&) = delete;

    // A new handle for `object`; 0 only when every id is taken.
    uint32_t Add(std::shared_ptr<T> object, uint32_t owner = 0) {
        std::lock_guard<std::mutex> hold(lock_);
        for (uint64_t tries = 0; tries <= UINT32_MAX; tries++) {
            const uint32_t id = counter_->Next();
            if (entries_.find(id) == entries_.end()) {
                entries_.emplace(id, Entry{std::move(object), owner});
                return id;
            }
        }
        return 0;
    }
    // The object; null for 0 or an unknown handle.
    std::shared_ptr<T> Find(uint32_t id) const {
        std::lock_guard<std::mutex> hold(lock_);
        const auto it = entries_.find(id);
        return it == entries_.end() ? nullptr : it->second.object;
    }
    // Takes the object out: later lookups of the handle find nothing.
    std::shared_ptr<T> Take(uint32_t id) {
        std::lock_guard<std::mutex> hold(lock_);
        const auto it = entries_.find(id);
        if (it == entries_.end())
            return nullptr;
        std::shared_ptr<T> object = std::move(it->second.object);
        entries_.erase(it);
        return object;
    }
    // Takes out every object tied to `owner`; owner 0: every object.
    std::vector<std::shared_ptr<T>> TakeOwnedBy(uint32_t owner) {
        std::lock_guard<std::mutex> hold(lock_);
        std::vector<std::shared_ptr<T>> taken;
        for (auto it = entries_.begin(); it != entries_.end();) {
            if (owner == 0 || it->second.owner == owner) {
                taken.push_back(std::move(it->second.object));
                it = entries_.erase(it);
            } else {
                ++it;
            }
        }
        return taken;
    }
    size_t Count() const {
        std::lock_guard<std::mutex> hold(lock_);
        return entries_.size();
    }

  private:
    struct Entry {
        std::shared_ptr<T> object;
        uint32_t owner = 0;
    };
    HandleCounter own_;
    HandleCounter* counter_;
    mutable std::mutex lock_;
    std::map<uint32_t, Entry> entries_;
};

}  // namespace platform
