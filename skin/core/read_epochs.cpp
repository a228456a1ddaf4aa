// skin/core/read_epochs.cpp
#include "skin/core/read_epochs.h"

#include <thread>

namespace plym {

unsigned ReadEpochs::Enter() {
    for (;;) {
        const unsigned epoch = epoch_.load();
        readers_[epoch & 1].fetch_add(1);
        // Counted before the epoch ended: the writer waits for this reader.
        if (epoch_.load() == epoch)
            return epoch;
        readers_[epoch & 1].fetch_sub(1);
    }
}

void ReadEpochs::Leave(unsigned epoch) {
    readers_[epoch & 1].fetch_sub(1);
}

void ReadEpochs::Retire() {
    const unsigned ended = epoch_.fetch_add(1);
    while (readers_[ended & 1].load() != 0)
        std::this_thread::yield();
}

}  // namespace plym
