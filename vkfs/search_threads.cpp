// vkfs/search_threads.cpp
//
// The month and day search threads. Each runs once through its work, reports
// the end with one call that has no record, then waits for its stop (a stop
// during the pass waits for the pass to finish).
#include "vkfs/fs_disk.h"
#include "vkfs/month_range.h"

namespace vkfs {

void FSDisk::MonthThread(const MonthJob& job, platform::Event& stop) {
    FSPlayParam param{};
    param.kind = kind_;
    param.user = job.user;
    param.window = nullptr;
    param.windows = job.windows;
    source_->SearchMonths(job.range, [&](int channel, int year, int month, FSMonthResult& result) {
        if (!monthCallback_)
            return;
        param.channel = channel;
        param.recordIndex = 0;
        param.monthRunning = month_.running;
        param.dayRunning = day_.running;
        param.start = MonthStart(year, month);
        param.end = MonthEnd(year, month);
        monthCallback_(kind_, &result, &param);
    });

    month_.running = 0;
    param.monthRunning = 0;
    param.dayRunning = day_.running;
    if (monthCallback_)
        monthCallback_(kind_, nullptr, &param);
    stop.Wait();
}

void FSDisk::DayThread(const DayJob& job, platform::Event& stop) {
    const auto group = static_cast<size_t>(job.group);
    {
        std::lock_guard<std::mutex> hold(tables_);
        for (auto& table : recordTable_[group])
            table.clear();
    }
    FSPlayParam param{};
    param.kind = kind_;
    param.user = job.user;
    param.window = window_;
    param.windows = job.windows;
    param.start = job.from;
    param.end = job.to;
    source_->SearchDay(job.group, job.from, job.to, job.channels,
                       [&](int slot, int index, FSRecordInfo& record) {
                           {
                               std::lock_guard<std::mutex> hold(tables_);
                               recordTable_[group][static_cast<size_t>(slot)][index] = record;
                           }
                           if (!job.callback)
                               return;
                           param.channel = job.channels[static_cast<size_t>(slot)];
                           param.recordIndex = index;
                           param.monthRunning = month_.running;
                           param.dayRunning = 1;
                           job.callback(kind_, &record, &param);
                       });

    day_.running = 0;
    param.dayRunning = 0;
    param.monthRunning = month_.running;
    if (job.callback)
        job.callback(kind_, nullptr, &param);
    stop.Wait();
}

}  // namespace vkfs
