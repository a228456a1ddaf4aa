// skin/core/hook_entries.h
//
// plym::HookEntries: the hook engine's table of replaced functions, one entry
// per hook id (hook_table.h). The GUI thread makes and deletes entries (a skin
// opened or changed), and any thread that loads a library walks them to patch
// it; both run under the table's lock, so a walk never meets an entry being
// deleted. The replacements, running in any thread, read only what is kept
// beside the entries -- each entry's unpatched address and replacement, set
// before the entry patches anything and cleared before it goes -- without a
// lock. Portable; the engine (api_hook.h) holds the entries.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

#include "skin/core/hook_table.h"

namespace plym {

template <typename Entry>
class HookEntries {
  public:
    using Hold = std::unique_lock<std::recursive_mutex>;

    // The lock, for a change of several steps (a recursive one: the steps
    // take it too).
    Hold Lock() const { return Hold(lock_); }

    // The entry of an id, NULL when none: under the lock, or on the thread
    // that changes the table.
    Entry* At(int id) const {
        Hold hold(lock_);
        return IsId(id) ? entries_[static_cast<size_t>(id)].get() : nullptr;
    }
    // Stores the entry of an id with what the replacements read of it.
    void Put(int id, std::unique_ptr<Entry> entry, uintptr_t unpatched, uintptr_t replacement) {
        Hold hold(lock_);
        if (!IsId(id))
            return;
        const auto slot = static_cast<size_t>(id);
        entries_[slot] = std::move(entry);
        unpatched_[slot] = unpatched;
        replacement_[slot] = replacement;
    }
    // `visit(entry)` for every entry, in id order.
    template <typename Visit>
    void ForEach(Visit visit) const {
        Hold hold(lock_);
        for (const auto& entry : entries_) {
            if (entry)
                visit(*entry);
        }
    }
    // `leave(entry)` (the entry puts back what it patched), then the entry
    // goes, for every entry in id order.
    template <typename Leave>
    void RemoveAll(Leave leave) {
        Hold hold(lock_);
        for (size_t slot = 0; slot < entries_.size(); ++slot) {
            if (!entries_[slot])
                continue;
            leave(*entries_[slot]);
            unpatched_[slot] = 0;
            replacement_[slot] = 0;
            entries_[slot].reset();
        }
    }

    // Any thread, no lock: 0 for an id without an entry.
    uintptr_t Unpatched(int id) const { return IsId(id) ? unpatched_[static_cast<size_t>(id)].load() : 0; }
    uintptr_t Replacement(int id) const {
        return IsId(id) ? replacement_[static_cast<size_t>(id)].load() : 0;
    }

  private:
    static bool IsId(int id) { return id >= 0 && id < kHookCount; }

    mutable std::recursive_mutex lock_;
    std::array<std::unique_ptr<Entry>, kHookCount> entries_;
    std::array<std::atomic<uintptr_t>, kHookCount> unpatched_{};
    std::array<std::atomic<uintptr_t>, kHookCount> replacement_{};
};

}  // namespace plym
