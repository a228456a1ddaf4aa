// Collects the reader's diagnostic lines for the duration of a test.
#pragma once

#include <string>
#include <vector>

#include "reader/diag.h"

namespace vekfs::testing {

class DiagCapture {
  public:
    DiagCapture() { SetDiagSink(&DiagCapture::Sink, this); }
    ~DiagCapture() { SetDiagSink(nullptr, nullptr); }
    DiagCapture(const DiagCapture&) = delete;
    DiagCapture& operator=(const DiagCapture&) = delete;

    const std::string& Text() const { return text_; }
    bool Contains(const std::string& s) const { return text_.find(s) != std::string::npos; }
    void Clear() { text_.clear(); }

  private:
    static void Sink(const char* text, void* user) { static_cast<DiagCapture*>(user)->text_ += text; }
    std::string text_;
};

}  // namespace vekfs::testing
