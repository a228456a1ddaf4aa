// The reader libraries print a line for every read they do (format 1 dumps
// each frame header); the VKFS tests turn that off for the whole binary.
#include "reader/diag.h"

namespace {

[[maybe_unused]] const bool kQuiet = [] {
    vekfs::SetDiagEnabled(false);
    return true;
}();

}  // namespace
