// vkfs/record_source.cpp
#include "vkfs/record_source.h"

#include <utility>

namespace vkfs {

BlockRead BlockReadOf(int n, int endOfRecord, size_t skip) {
    BlockRead read;
    if (n > 0) {
        read.what = BlockRead::kData;
        read.length = static_cast<size_t>(n);
        read.skip = skip;
    } else if (n < 0 && n != endOfRecord) {
        read.what = BlockRead::kFailed;
        read.code = n;
    }
    return read;
}

std::unique_ptr<RecordSource> ProbeReaders(const DiskArgs& disk, ProcessLog& log) {
    for (const ProbeEntry& entry : kProbeOrder) {
        ProbeOutcome outcome = entry.open(disk, log);
        if (outcome.source || !outcome.tryNext)
            return std::move(outcome.source);
    }
    return nullptr;
}

}  // namespace vkfs
