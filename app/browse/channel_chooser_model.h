// app/browse/channel_chooser_model.h
//
// The channel chooser without its window: 48 check boxes, "CH 01" to "CH 48",
// of which at most four may be checked, one per play pane. OK takes the checked
// channels in ascending order (empty places -1) and accepts; with more than four
// checked it refuses, the dialog shows kChannelLimitText and stays open, and
// nothing changes. The CDlgSelectChannel exchanges its check boxes with the
// model and reports the result to its caller.
//
// SetChannels checks the boxes of the channels given; an entry outside 0..47
// checks nothing, as -1 (an empty place) does.
#pragma once

#include <array>
#include <string>

namespace browse {

inline constexpr int kChooserChannels = 48;
inline constexpr int kChosenChannels = 4;
// The refusal when more than four are checked (UTF-8).
inline constexpr const char* kChannelLimitText = "最多只能选择4个通道";

using ChosenChannels = std::array<int, kChosenChannels>;  // zero-based, -1: empty place

// "CH %02d" of the one-based number of channel i.
std::string ChannelLabel(int channel);

class ChannelChooserModel {
  public:
    void SetChannels(const ChosenChannels& channels);
    void SetChecked(int channel, bool checked);
    bool Checked(int channel) const;
    void Clear();

    // True when accepted; false when more than four are checked (refused).
    bool OnOK();
    bool IsAccepted() const { return accepted_; }
    const ChosenChannels& GetChannels() const { return result_; }

  private:
    std::array<bool, kChooserChannels> checked_{};
    ChosenChannels result_{-1, -1, -1, -1};
    bool accepted_ = false;
};

}  // namespace browse
