// platform/mem_device.h
//
// An in-memory disk for tests and fuzzing: sparse (only written 4 KB pages take
// memory), of a fixed size, thread-safe. Opened through OpenRawDevice("mem:NAME")
// once registered under NAME. Like a real drive it refuses I/O that is not
// sector-aligned or that runs past its end.
//
// Faults can be injected per operation and offset range, for a number of hits;
// every call through a device, opens and seeks included, is logged (the direct
// Peek/Poke access used by image builders and test assertions is neither
// faulted nor logged).
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace platform {

enum class IoOp { Open, Seek, Read, Write };

struct FaultRule {
    IoOp op = IoOp::Read;
    // The fault fires when the operation touches a byte in [begin, end). For Open
    // the range is ignored; for Seek it is tested against the target offset.
    uint64_t begin = 0;
    uint64_t end = std::numeric_limits<uint64_t>::max();
    int count = -1;  // hits before the rule retires itself; -1 fires forever, 0 never
    // Read/Write: instead of failing outright, half the sectors (rounded down)
    // get through, as when a drive gives up part way; the device reports the
    // short transfer as a failure.
    bool shortTransfer = false;
};

// One call made through a device handle (or an open through the registry),
// refused and failed calls included: `length` is what was asked for, `ok`
// whether the call succeeded (a short transfer did not).
struct IoRecord {
    IoOp op;
    uint64_t offset;
    size_t length;
    bool ok;
};

class MemDisk {
  public:
    explicit MemDisk(uint64_t size);
    ~MemDisk();
    MemDisk(const MemDisk&) = delete;
    MemDisk& operator=(const MemDisk&) = delete;

    uint64_t Size() const;

    // Direct access, unaligned, no faults, not logged. Bytes never written read 0.
    // Out-of-range parts are ignored (Peek fills them with 0).
    void Poke(uint64_t offset, const void* data, size_t length);
    void Peek(uint64_t offset, void* out, size_t length) const;
    std::vector<uint8_t> Bytes(uint64_t offset, size_t length) const;

    // A deep copy (contents only; no faults, empty log).
    std::shared_ptr<MemDisk> Clone() const;

    void AddFault(const FaultRule& rule);
    void ClearFaults();

    std::vector<IoRecord> Log() const;
    void ClearLog();
    // Pages holding data. Writing zeros where nothing was written allocates none.
    size_t PagesInUse() const;
    // A hash of the contents, equal for equal contents however they were
    // written (pages of zeros count as unwritten). Cheap: only written pages
    // are visited, so tests can tell "not a byte changed" on a sparse image.
    uint64_t ContentHash() const;

    // Used by the device handles; true when the operation may proceed. For a
    // short-transfer fault, *transfer is lowered to the bytes that get through.
    // A rule that fires counts one hit; the first matching rule decides.
    bool CheckFault(IoOp op, uint64_t offset, size_t length, size_t* transfer);
    void Record(IoOp op, uint64_t offset, size_t length, bool ok);

  private:
    struct State;
    std::unique_ptr<State> state_;
};

// The registry behind "mem:NAME" paths.
void RegisterMemDisk(const std::string& name, std::shared_ptr<MemDisk> disk);
void UnregisterMemDisk(const std::string& name);
std::shared_ptr<MemDisk> FindMemDisk(const std::string& name);

// Registers `disk` under `name` for the lifetime of the object.
class ScopedMemDisk {
  public:
    ScopedMemDisk(std::string name, std::shared_ptr<MemDisk> disk) : name_(std::move(name)) {
        RegisterMemDisk(name_, std::move(disk));
    }
    ~ScopedMemDisk() { UnregisterMemDisk(name_); }
    ScopedMemDisk(const ScopedMemDisk&) = delete;
    ScopedMemDisk& operator=(const ScopedMemDisk&) = delete;
    std::string Path() const { return "mem:" + name_; }

  private:
    std::string name_;
};

}  // namespace platform
