// veknet/handle_registry.h
//
// The library's live objects by handle. Handles are non-zero 32-bit ids from
// one counter shared by every registry, so a login, a play and a download
// never share a handle and a handle given to the wrong call finds nothing. An
// object may be tied to an owner (the login a play or download was started
// on) so that stopping the owner takes its objects along.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

namespace veknet {

// The next value of the shared counter, never 0 (registries skip ids still
// live after a wrap).
uint32_t NextHandle();

template <typename T>
class HandleRegistry {
  public:
    uint32_t Add(std::shared_ptr<T> object, uint32_t owner = 0) {
        std::lock_guard<std::mutex> hold(lock_);
        uint32_t id = 0;
        do {
            id = NextHandle();
        } while (entries_.count(id));
        entries_[id] = Entry{std::move(object), owner};
        return id;
    }
    std::shared_ptr<T> Find(uint32_t id) const {
        std::lock_guard<std::mutex> hold(lock_);
        const auto it = entries_.find(id);
        return it == entries_.end() ? nullptr : it->second.object;
    }
    std::shared_ptr<T> Take(uint32_t id) {
        std::lock_guard<std::mutex> hold(lock_);
        const auto it = entries_.find(id);
        if (it == entries_.end())
            return nullptr;
        std::shared_ptr<T> object = std::move(it->second.object);
        entries_.erase(it);
        return object;
    }
    // owner 0: every object.
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
    mutable std::mutex lock_;
    std::map<uint32_t, Entry> entries_;
};

}  // namespace veknet
