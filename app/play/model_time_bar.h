// app/play/model_time_bar.h
//
// The panes' and the tool bar's TimeBar over the time-bar model itself. The
// time-bar window owns the model and hands a `changed` function that repaints
// it; it is called whenever a cursor moved, was shown or hidden, or a row was
// emptied.
#pragma once

#include <functional>
#include <utility>

#include "app/base/play_ports.h"
#include "app/play/timebar_model.h"

namespace play {

class ModelTimeBar final : public TimeBar {
  public:
    explicit ModelTimeBar(TimebarModel& model, std::function<void()> changed = {})
        : model_(model), changed_(std::move(changed)) {}

    int GetRecordCount(int row) const override { return model_.GetRecordCount(row); }
    int FindRecordAt(int row, RecfileTime* out) const override { return model_.FindRecordAt(row, out); }
    void SetCursorTime(int row, int hour, int minute, int second, bool common) override {
        if (model_.SetCursorTime(row, hour, minute, second, common))
            Changed();
    }
    void ShowCursor(int row, bool show, bool common) override {
        if (model_.ShowCursor(row, show, common))
            Changed();
    }
    void ClearRecords(int row) override {
        model_.ClearRecords(row);
        Changed();
    }

  private:
    void Changed() {
        if (changed_)
            changed_();
    }

    TimebarModel& model_;
    std::function<void()> changed_;
};

}  // namespace play
