// app/browse/channel_chooser_model.cpp
#include "app/browse/channel_chooser_model.h"

#include <cstdio>

namespace browse {

std::string ChannelLabel(int channel) {
    char text[24];
    std::snprintf(text, sizeof text, "CH %02d", channel + 1);
    return text;
}

void ChannelChooserModel::SetChannels(const ChosenChannels& channels) {
    for (const int channel : channels)
        SetChecked(channel, true);
}

void ChannelChooserModel::SetChecked(int channel, bool checked) {
    if (channel >= 0 && channel < kChooserChannels)
        checked_[channel] = checked;
}

bool ChannelChooserModel::Checked(int channel) const {
    return channel >= 0 && channel < kChooserChannels && checked_[channel];
}

void ChannelChooserModel::Clear() {
    checked_.fill(false);
}

bool ChannelChooserModel::OnOK() {
    ChosenChannels chosen{-1, -1, -1, -1};
    int count = 0;
    for (int channel = 0; channel < kChooserChannels; channel++) {
        if (!checked_[channel])
            continue;
        if (count == kChosenChannels)
            return false;
        chosen[count++] = channel;
    }
    result_ = chosen;
    accepted_ = true;
    return true;
}

}  // namespace browse
